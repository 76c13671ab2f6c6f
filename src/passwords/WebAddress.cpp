#include "passwords/WebAddress.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

std::string WebAddressOf(std::string_view text) {
    text = text.substr(0, text.find_first_of("\r\n"));
    text = text.substr(0, text.find_first_of(" \t"));
    for (const std::string_view scheme : {"http://", "https://"})
        if (StartsWithNoCase(text, scheme) && text.size() > scheme.size())
            return std::string(text);
    constexpr std::string_view kWww = "www.";
    if (StartsWithNoCase(text, kWww) && text.size() > kWww.size())
        return "https://" + std::string(text);
    return {};
}
