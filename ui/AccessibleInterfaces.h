#pragma once

namespace velmix::AccessibleInterfaces {

// Puts the window's own accessible interfaces in place of Qt's: combo boxes, picture
// buttons and check boxes, and the two windows, which Qt would report as plain panes.
// A second call changes nothing.
void install();

} // namespace velmix::AccessibleInterfaces
