#pragma once

#include <QString>
#include <QStringView>

namespace velmix {

// The camera as the {камера} field writes it and a date shift names it: the EXIF Model,
// after the Make where the model does not already begin with it ("Canon" and "Canon EOS
// 80D" give "Canon EOS 80D", "NIKON CORPORATION" and "NIKON D750" give "NIKON D750",
// "Apple" and "iPhone 15" give "Apple iPhone 15"). The company's words ("CORPORATION",
// "IMAGING", "CO.,LTD.") are left out of the make; blanks and padding are trimmed and runs
// of blanks made one. Empty where both are.
[[nodiscard]] QString cameraName(QStringView make, QStringView model);

} // namespace velmix
