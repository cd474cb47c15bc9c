#include "base/map_address.h"

#include "marks/mark_list.h"

namespace {
std::string& ServiceUrl()
{
    static std::string url;
    return url;
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}
}  // namespace

const std::string& MapServiceUrl() { return ServiceUrl(); }

void SetMapServiceUrl(std::string url) { ServiceUrl() = std::move(url); }

std::string PercentEncode(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

std::string BuildMapAddress(const CMarkList& marks, std::string_view serviceUrl)
{
    std::string address;
    std::size_t n = 0;
    for (const CMark& m : marks) {
        if (n == 0) {
            address.assign(serviceUrl);
            address += '?';
        } else {
            address += '&';
        }
        const std::string index = std::to_string(n);
        address += "lat" + index + '=' + PercentEncode(m.GetLatitude());
        address += "&lon" + index + '=' + PercentEncode(m.GetLongitude());
        ++n;
    }
    return address;
}
