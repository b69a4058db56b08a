#include "bills/BillRow.h"

#include <algorithm>
#include <cstring>

struct BillFile::Store {
    static constexpr std::size_t kBlock = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> blocks;
    char* pNext = nullptr; // the room left at the end of the last block
    std::size_t nLeft = 0;
};

std::string_view BillFile::Keep(std::string_view text) {
    if (text.empty())
        return {};
    if (!m_pStore)
        m_pStore = std::make_shared<Store>();
    Store& store = *m_pStore;
    if (store.nLeft < text.size()) {
        // A text longer than a block gets a block of its own.
        const std::size_t nSize = std::max(Store::kBlock, text.size());
        store.blocks.push_back(std::make_unique_for_overwrite<char[]>(nSize));
        store.pNext = store.blocks.back().get();
        store.nLeft = nSize;
    }
    char* const at = store.pNext;
    std::memcpy(at, text.data(), text.size());
    store.pNext += text.size();
    store.nLeft -= text.size();
    return {at, text.size()};
}
