#pragma once

#include <memory>
#include <string>

namespace ui {
class Dialog;
}

/// Maps a navigation tree item's text to the task dialog it opens.
class CTreeResponse {
public:
    virtual ~CTreeResponse() = default;

    /// A new dialog for the item (not yet shown, no parent), or null for any other text.
    /// The comparison is exact over the whole text. The caller owns the dialog.
    std::unique_ptr<ui::Dialog> CreateDialogForItem(std::string text) const;
};
