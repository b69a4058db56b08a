#include "platform/ui/TextRow.h"

#include <cstring>
#include <new>
#include <utility>

namespace ui {

TextRow::TextRow(const std::vector<std::string>& texts) {
    std::vector<std::string_view> views(texts.begin(), texts.end());
    *this = Make(views);
}

TextRow::TextRow(const TextRow& other) : m_block(other.m_block) {
    if (m_block)
        ++Header()[0];
}

TextRow& TextRow::operator=(TextRow other) noexcept {
    std::swap(m_block, other.m_block);
    return *this;
}

TextRow::~TextRow() {
    if (m_block && --Header()[0] == 0)
        ::operator delete(m_block);
}

size_t TextRow::Size() const {
    return m_block ? Header()[1] : 0;
}

std::string_view TextRow::At(size_t index) const {
    const size_t count = Size();
    if (index >= count)
        return {};
    const std::uint32_t* ends = Header() + 2;
    const char* bytes = m_block + (2 + count) * sizeof(std::uint32_t);
    const std::uint32_t begin = index == 0 ? 0 : ends[index - 1];
    return {bytes + begin, ends[index] - begin};
}

TextRow TextRow::Make(const std::vector<std::string_view>& texts) {
    TextRow row;
    if (texts.empty())
        return row;
    size_t bytes = 0;
    for (std::string_view text : texts)
        bytes += text.size();
    const size_t head = (2 + texts.size()) * sizeof(std::uint32_t);
    row.m_block = static_cast<char*>(::operator new(head + bytes));
    std::uint32_t* header = row.Header();
    header[0] = 1;
    header[1] = static_cast<std::uint32_t>(texts.size());
    char* out = row.m_block + head;
    std::uint32_t end = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i].empty())
            std::memcpy(out + end, texts[i].data(), texts[i].size());
        end += static_cast<std::uint32_t>(texts[i].size());
        header[2 + i] = end;
    }
    return row;
}

std::vector<std::string_view> TextRow::Views() const {
    std::vector<std::string_view> views(Size());
    for (size_t i = 0; i < views.size(); ++i)
        views[i] = At(i);
    return views;
}

TextRow TextRow::With(size_t index, std::string_view text) const {
    std::vector<std::string_view> views = Views();
    if (index >= views.size())
        views.resize(index + 1);
    views[index] = text;
    return Make(views);
}

TextRow TextRow::Inserted(size_t index) const {
    if (index >= Size())
        return *this;
    std::vector<std::string_view> views = Views();
    views.insert(views.begin() + static_cast<std::ptrdiff_t>(index), std::string_view());
    return Make(views);
}

TextRow TextRow::Erased(size_t index) const {
    if (index >= Size())
        return *this;
    std::vector<std::string_view> views = Views();
    views.erase(views.begin() + static_cast<std::ptrdiff_t>(index));
    return Make(views);
}

TextRow TextRow::Resized(size_t count) const {
    if (count == Size())
        return *this;
    std::vector<std::string_view> views = Views();
    views.resize(count);
    return Make(views);
}

} // namespace ui
