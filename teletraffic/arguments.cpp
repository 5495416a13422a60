// The registry's word reading and its view for the front ends (arguments.h).
#include "teletraffic/arguments.h"

#include <algorithm>

namespace teletraffic {

std::string NormalWord(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    std::string word;
    word.reserve(text.size());
    for (const char c : text) {
        if (c == '_' || c == ' ' || c == '\t') {
            word.push_back('-');
        } else if (c >= 'A' && c <= 'Z') {
            word.push_back(static_cast<char>(c - 'A' + 'a'));
        } else {
            word.push_back(c);
        }
    }
    return word;
}

std::optional<std::size_t> ParseWord(const ChoiceInfo& choice, std::string_view text) {
    const std::string word = NormalWord(text);
    for (std::size_t i = 0; i < choice.words.size(); ++i) {
        if (choice.words[i].word == word) {
            return i;
        }
    }
    return std::nullopt;
}

std::string WordList(const ChoiceInfo& choice, std::string_view last) {
    std::string list;
    for (std::size_t i = 0; i < choice.words.size(); ++i) {
        list.append(i == 0                        ? ""
                    : i + 1 < choice.words.size() ? ", "
                                                  : last)
            .append(choice.words[i].word);
    }
    return list;
}

namespace {

template <typename Field>
const ArgumentInfo* Find(std::span<const std::span<const ArgumentInfo>> tables, Field field,
                         std::string_view name) {
    for (const auto& table : tables) {
        const auto found = std::ranges::find(table, name, field);
        if (found != table.end()) {
            return &*found;
        }
    }
    return nullptr;
}

} // namespace

const ArgumentInfo* Registry::ByOption(std::string_view option) const {
    return Find(arguments, &ArgumentInfo::option, option);
}

const ArgumentInfo* Registry::ByKeyword(std::string_view keyword) const {
    return Find(arguments, &ArgumentInfo::keyword, keyword);
}

const ChoiceInfo* Registry::Choice(std::string_view name) const {
    const auto found = std::ranges::find(choices, name, &ChoiceInfo::name);
    return found == choices.end() ? nullptr : *found;
}

const Registry& EngineRegistry() {
    static constexpr std::span<const ArgumentInfo> kTables[] = {kArguments};
    static constexpr const ChoiceInfo* kChoiceList[] = {&kChoices[0], &kChoices[1], &kChoices[2],
                                                        &kChoices[3]};
    static const Registry registry{kTables, kChoiceList};
    return registry;
}

} // namespace teletraffic
