#include "catalogue/BuiltinItemList.h"

#include "text/GbkCodec.h"
#include "text/ScriptText.h"

namespace shopkeeper::catalogue {

namespace {

// The entries of a CR LF separated text, none after the last CR LF.
std::vector<std::string> entries(std::string_view text)
{
    std::vector<std::string> out;
    for (auto piece : text::splitView(text, "\r\n"))
        out.emplace_back(piece);
    return out;
}

} // namespace

BuiltinItemList BuiltinItemList::fromTexts(std::string_view gbkNames, std::string_view gbkIds)
{
    BuiltinItemList list;
    // CR and LF are never part of a GBK double-byte character, so the texts convert whole.
    list.names_ = entries(text::GbkCodec::toUtf8(gbkNames));
    list.ids_ = entries(gbkIds);
    // The two lists are parallel; a stray entry past the shorter one has no partner.
    const std::size_t count = std::min(list.names_.size(), list.ids_.size());
    list.names_.resize(count);
    list.ids_.resize(count);
    list.foldedNames_.reserve(count);
    for (const auto& name : list.names_)
        list.foldedNames_.push_back(text::asciiLowered(name));
    list.firstOfId_.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        list.firstOfId_.try_emplace(list.ids_[i], i);
    return list;
}

std::optional<std::string_view> BuiltinItemList::nameOf(std::string_view id) const
{
    const auto it = firstOfId_.find(id);
    if (it == firstOfId_.end())
        return std::nullopt;
    return names_[it->second];
}

} // namespace shopkeeper::catalogue
