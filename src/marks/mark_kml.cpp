// KML 2.2: one Placemark with a Point per mark out; in, every Point of every Placemark, also those
// inside a MultiGeometry or in folders.

#include <cctype>

#include "marks/mark_exchange.h"
#include "marks/mark_xml.h"

namespace MarkExchange {

std::string WriteKml(const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers)
{
    pugi::xml_document doc;
    pugi::xml_node kml = doc.append_child("kml");
    kml.append_attribute("xmlns") = "http://www.opengis.net/kml/2.2";
    pugi::xml_node document = kml.append_child("Document");
    document.append_child("name").text() = "Varnel Link Manager";
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const CMark& m = marks[i];
        pugi::xml_node placemark = document.append_child("Placemark");
        placemark.append_child("name").text() = MarkName(i, numbers).c_str();
        pugi::xml_node point = placemark.append_child("Point");
        point.append_child("altitudeMode").text() = "absolute";
        point.append_child("coordinates").text() =
            (m.GetLongitude() + ',' + m.GetLatitude() + ',' + m.GetAltitude()).c_str();
    }
    return XmlText(doc);
}

bool ReadKml(std::string_view text, SImportResult& result, std::string& error)
{
    CXmlDocument xml;
    if (!xml.Parse(text, error))
        return false;
    CPointSink sink(result);
    for (const pugi::xml_node& placemark : Descendants(xml.Document().document_element(), "Placemark")) {
        const std::string name = ChildNamed(placemark, "name").text().get();
        for (const pugi::xml_node& p : Descendants(placemark, "Point")) {
            SRawPoint point;
            point.Line = xml.Line(p);
            point.Name = name;
            // "longitude,latitude[,altitude]"; a Point holds one tuple, any more are ignored.
            std::string_view tuple = ChildNamed(p, "coordinates").text().get();
            while (!tuple.empty() && std::isspace(static_cast<unsigned char>(tuple.front())))
                tuple.remove_prefix(1);
            tuple = tuple.substr(0, tuple.find_first_of(" \t\r\n"));
            std::optional<std::string>* parts[] = {&point.Longitude, &point.Latitude, &point.Altitude};
            for (auto* part : parts) {
                if (tuple.empty())
                    break;
                const std::size_t comma = tuple.find(',');
                *part = std::string(tuple.substr(0, comma));
                tuple = comma == std::string_view::npos ? std::string_view() : tuple.substr(comma + 1);
            }
            sink.Add(std::move(point));
        }
    }
    return true;
}

}  // namespace MarkExchange
