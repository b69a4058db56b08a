#include "app/TreeResponse.h"

#include "platform/ui/Dialog.h"

std::unique_ptr<ui::Dialog> CTreeResponse::CreateDialogForItem(std::string) const {
    // The task dialogs are added to this table as they arrive.
    return nullptr;
}
