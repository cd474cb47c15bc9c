// GPX 1.1 waypoints: one wpt per mark out; wpt and rtept in, trkpt only when there is nothing else.

#include <algorithm>

#include "marks/mark_exchange.h"
#include "marks/mark_xml.h"

namespace MarkExchange {

std::string WriteGpx(const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers)
{
    pugi::xml_document doc;
    pugi::xml_node gpx = doc.append_child("gpx");
    gpx.append_attribute("version") = "1.1";
    gpx.append_attribute("creator") = "Varnel Link Manager";
    gpx.append_attribute("xmlns") = "http://www.topografix.com/GPX/1/1";
    gpx.append_attribute("xmlns:xsi") = "http://www.w3.org/2001/XMLSchema-instance";
    gpx.append_attribute("xsi:schemaLocation") =
        "http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd";
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const CMark& m = marks[i];
        pugi::xml_node wpt = gpx.append_child("wpt");
        wpt.append_attribute("lat") = m.GetLatitude().c_str();
        wpt.append_attribute("lon") = m.GetLongitude().c_str();
        // The schema's order: ele before name.
        wpt.append_child("ele").text() = m.GetAltitude().c_str();
        wpt.append_child("name").text() = MarkName(i, numbers).c_str();
    }
    return XmlText(doc);
}

bool ReadGpx(std::string_view text, SImportResult& result, std::string& error)
{
    CXmlDocument xml;
    if (!xml.Parse(text, error))
        return false;
    const pugi::xml_node root = xml.Document().document_element();
    std::vector<pugi::xml_node> points;
    for (pugi::xml_node n : Descendants(root, "wpt"))
        points.push_back(n);
    for (pugi::xml_node n : Descendants(root, "rtept"))
        points.push_back(n);
    if (points.empty())
        points = Descendants(root, "trkpt");
    std::sort(points.begin(), points.end(),
              [](const pugi::xml_node& a, const pugi::xml_node& b) { return a.offset_debug() < b.offset_debug(); });
    CPointSink sink(result);
    for (const pugi::xml_node& p : points) {
        SRawPoint point;
        point.Line = xml.Line(p);
        if (const pugi::xml_attribute lat = p.attribute("lat"))
            point.Latitude = lat.value();
        if (const pugi::xml_attribute lon = p.attribute("lon"))
            point.Longitude = lon.value();
        if (const pugi::xml_node ele = ChildNamed(p, "ele"))
            point.Altitude = ele.text().get();
        point.Name = ChildNamed(p, "name").text().get();
        sink.Add(std::move(point));
    }
    return true;
}

}  // namespace MarkExchange
