#include "marks/mark_xml.h"

#include <algorithm>
#include <sstream>

#include "marks/mark_exchange.h"

bool CXmlDocument::Parse(std::string_view text, std::string& error)
{
    // Without parse_doctype a DTD is skipped unread, and only the five predefined entities and
    // character references are expanded: no external entity is fetched and nothing multiplies.
    constexpr unsigned flags = pugi::parse_default & ~pugi::parse_doctype;
    const pugi::xml_parse_result parsed =
        m_Document.load_buffer(text.data(), text.size(), flags, pugi::encoding_utf8);
    m_LineStarts.assign(1, 0);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            m_LineStarts.push_back(i + 1);
    if (!parsed) {
        const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0));
        const auto line = static_cast<std::size_t>(
            std::upper_bound(m_LineStarts.begin(), m_LineStarts.end(), offset) - m_LineStarts.begin());
        error = std::string("the XML is not well-formed (") + parsed.description() + " at line " +
                std::to_string(line) + ")";
        return false;
    }
    struct DepthCheck : pugi::xml_tree_walker {
        bool tooDeep = false;
        bool for_each(pugi::xml_node&) override
        {
            tooDeep = depth() >= MarkExchange::MaxDepth;
            return !tooDeep;
        }
    } check;
    m_Document.traverse(check);
    if (check.tooDeep) {
        error = "it nests deeper than " + std::to_string(MarkExchange::MaxDepth) + " levels";
        return false;
    }
    return true;
}

std::size_t CXmlDocument::Line(const pugi::xml_node& node) const
{
    const std::ptrdiff_t offset = node.offset_debug();
    if (offset < 0)
        return 0;
    return static_cast<std::size_t>(std::upper_bound(m_LineStarts.begin(), m_LineStarts.end(),
                                                     static_cast<std::size_t>(offset)) -
                                    m_LineStarts.begin());
}

std::string_view LocalName(const pugi::xml_node& node)
{
    std::string_view name = node.name();
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node ChildNamed(const pugi::xml_node& node, std::string_view name)
{
    for (pugi::xml_node child : node.children())
        if (child.type() == pugi::node_element && LocalName(child) == name)
            return child;
    return {};
}

std::vector<pugi::xml_node> Descendants(const pugi::xml_node& node, std::string_view name)
{
    struct Collect : pugi::xml_tree_walker {
        std::string_view name;
        std::vector<pugi::xml_node> found;
        bool for_each(pugi::xml_node& n) override
        {
            if (n.type() == pugi::node_element && LocalName(n) == name)
                found.push_back(n);
            return true;
        }
    } collect;
    collect.name = name;
    pugi::xml_node from = node;
    from.traverse(collect);
    return collect.found;
}

std::string XmlText(const pugi::xml_document& document)
{
    std::ostringstream out;
    document.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}
