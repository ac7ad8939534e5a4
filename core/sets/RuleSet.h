#pragma once

#include "preview/NamingOptions.h"
#include "preview/PreviewSession.h"
#include "rules/NameRules.h"

namespace velmix {

// Everything that shapes the new names: the options, the base name, the numbering fields
// and order, and every rule of the panel.
struct RuleSet
{
    NamingOptions options;
    NameRules rules;

    [[nodiscard]] static RuleSet of(const PreviewSession &preview) { return {preview.options(), preview.nameRules()}; }
    // Fills every setting as if typed, and rebuilds the preview at once.
    void applyTo(PreviewSession &preview) const { preview.setSettings(options, rules); }

    friend bool operator==(const RuleSet &, const RuleSet &) = default;
};

} // namespace velmix
