// GeoJSON (RFC 7946): a FeatureCollection of Point features out; in, Point and MultiPoint
// geometries of a collection, a bare Feature or a bare Geometry.

#include <cctype>
#include <cmath>

#include <nlohmann/json.hpp>

#include "marks/mark_exchange.h"
#include "marks/text_number.h"

namespace {

using Json = nlohmann::json;

// Builds the document as nlohmann's own DOM would, except that every number keeps its text, held
// as a binary value (which JSON text itself never produces), and that nesting is bounded.
class CTextNumberSax : public nlohmann::json_sax<Json> {
public:
    Json Root;
    bool TooDeep = false;
    std::string Fault;

    bool null() override { return Put(Json()); }
    bool boolean(bool v) override { return Put(Json(v)); }
    bool number_integer(number_integer_t v) override { return Put(Number(std::to_string(v))); }
    bool number_unsigned(number_unsigned_t v) override { return Put(Number(std::to_string(v))); }
    bool number_float(number_float_t, const string_t& s) override { return Put(Number(s)); }
    bool string(string_t& v) override { return Put(Json(std::move(v))); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool key(string_t& k) override
    {
        m_Key = std::move(k);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override
    {
        Fault = "the JSON is not well-formed at byte " + std::to_string(position) + " (" + e.what() + ")";
        return false;
    }

private:
    static Json Number(const std::string& text) { return Json::binary(std::vector<std::uint8_t>(text.begin(), text.end())); }

    bool Put(Json v)
    {
        if (m_Stack.empty()) {
            Root = std::move(v);
            return true;
        }
        Json& top = *m_Stack.back();
        if (top.is_array())
            top.push_back(std::move(v));
        else
            top[m_Key] = std::move(v);
        return true;
    }
    bool Open(Json v)
    {
        if (static_cast<int>(m_Stack.size()) >= MarkExchange::MaxDepth) {
            TooDeep = true;
            return false;
        }
        Json* added = nullptr;
        if (m_Stack.empty()) {
            Root = std::move(v);
            added = &Root;
        } else if (m_Stack.back()->is_array()) {
            m_Stack.back()->push_back(std::move(v));
            added = &m_Stack.back()->back();
        } else {
            added = &((*m_Stack.back())[m_Key] = std::move(v));
        }
        m_Stack.push_back(added);
        return true;
    }
    bool Close()
    {
        m_Stack.pop_back();
        return true;
    }

    std::vector<Json*> m_Stack;
    std::string m_Key;
};

std::optional<std::string> NumberText(const Json& v)
{
    if (!v.is_binary())
        return std::nullopt;
    const auto& bytes = v.get_binary();
    return std::string(bytes.begin(), bytes.end());
}

std::string ValueText(const Json& v)
{
    if (auto n = NumberText(v))
        return *n;
    return v.is_string() ? v.get<std::string>() : v.is_null() ? std::string() : v.dump();
}

const Json* Member(const Json& object, const char* name)
{
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

std::string StringMember(const Json* object, const char* name)
{
    const Json* v = object ? Member(*object, name) : nullptr;
    return v && v->is_string() ? v->get<std::string>() : std::string();
}

// JSON's number grammar: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool IsJsonNumber(std::string_view t)
{
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i;
        return i - from;
    };
    if (i < t.size() && t[i] == '-')
        ++i;
    if (i < t.size() && t[i] == '0')
        ++i;
    else if (digits() == 0)
        return false;
    if (i < t.size() && t[i] == '.') {
        ++i;
        if (digits() == 0)
            return false;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == t.size();
}

// A mark text that is no JSON number ("07", "1.") is written as the nearest one that is; its own
// text goes into the properties, where a later import takes it back.
std::string JsonNumber(const std::string& text)
{
    if (IsJsonNumber(text))
        return text;
    std::string out = FixedText(TextToDouble(text), 9);
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out == "-0" ? "0" : out;
}

void PositionPoint(const Json& position, std::size_t place, std::string name, const Json* properties,
                   CPointSink& sink)
{
    SRawPoint point;
    point.Line = place;
    point.Name = std::move(name);
    if (position.is_array()) {
        std::optional<std::string>* parts[] = {&point.Longitude, &point.Latitude, &point.Altitude};
        for (std::size_t i = 0; i < 3 && i < position.size(); ++i)
            *parts[i] = ValueText(position[i]);
    }
    // Texts of our own export that JSON could not carry as numbers; taken only when they agree.
    const char* names[] = {"longitude", "latitude", "altitude"};
    std::optional<std::string>* parts[] = {&point.Longitude, &point.Latitude, &point.Altitude};
    for (int i = 0; i < 3 && properties; ++i) {
        const std::string text = StringMember(properties, names[i]);
        if (!text.empty() && *parts[i] && TextToDouble(text) == TextToDouble(**parts[i]))
            *parts[i] = text;
    }
    sink.Add(std::move(point));
}

void GeometryPoints(const Json& geometry, std::size_t& place, const std::string& name, const Json* properties,
                    CPointSink& sink, int depth = 0)
{
    const std::string type = StringMember(&geometry, "type");
    const Json* coordinates = Member(geometry, "coordinates");
    if (type == "Point") {
        PositionPoint(coordinates ? *coordinates : Json(), ++place, name, properties, sink);
    } else if (type == "MultiPoint" && coordinates && coordinates->is_array()) {
        for (const Json& position : *coordinates)
            PositionPoint(position, ++place, name, nullptr, sink);
    } else if (type == "GeometryCollection" && depth < MarkExchange::MaxDepth) {
        if (const Json* geometries = Member(geometry, "geometries"); geometries && geometries->is_array())
            for (const Json& g : *geometries)
                GeometryPoints(g, place, name, nullptr, sink, depth + 1);
    }
}

void FeaturePoints(const Json& feature, std::size_t& place, CPointSink& sink)
{
    const Json* properties = Member(feature, "properties");
    const Json* geometry = Member(feature, "geometry");
    if (geometry)
        GeometryPoints(*geometry, place, StringMember(properties, "name"), properties, sink);
}

}  // namespace

namespace MarkExchange {

std::string WriteGeoJson(const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers)
{
    std::string out = "{\"type\":\"FeatureCollection\",\"features\":[";
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const CMark& m = marks[i];
        Json properties = {{"name", MarkName(i, numbers)}};
        const std::pair<const char*, const std::string*> texts[] = {
            {"latitude", &m.GetLatitude()}, {"longitude", &m.GetLongitude()}, {"altitude", &m.GetAltitude()}};
        for (const auto& [key, text] : texts)
            if (!IsJsonNumber(*text))
                properties[key] = *text;
        out += i ? ",\n" : "\n";
        out += "{\"type\":\"Feature\",\"properties\":" +
               properties.dump(-1, ' ', false, Json::error_handler_t::replace) +
               ",\"geometry\":{\"type\":\"Point\",\"coordinates\":[" + JsonNumber(m.GetLongitude()) + ',' +
               JsonNumber(m.GetLatitude()) + ',' + JsonNumber(m.GetAltitude()) + "]}}";
    }
    out += "\n]}\n";
    return out;
}

bool ReadGeoJson(std::string_view text, SImportResult& result, std::string& error)
{
    CTextNumberSax sax;
    if (!Json::sax_parse(text, &sax)) {
        error = sax.TooDeep ? "it nests deeper than " + std::to_string(MaxDepth) + " levels"
                            : sax.Fault.empty() ? "the JSON is not well-formed" : sax.Fault;
        return false;
    }
    const Json& root = sax.Root;
    CPointSink sink(result, false);
    std::size_t place = 0;
    const std::string type = StringMember(&root, "type");
    if (type == "FeatureCollection") {
        if (const Json* features = Member(root, "features"); features && features->is_array())
            for (const Json& f : *features)
                FeaturePoints(f, place, sink);
    } else if (type == "Feature") {
        FeaturePoints(root, place, sink);
    } else {
        GeometryPoints(root, place, {}, nullptr, sink);
    }
    return true;
}

}  // namespace MarkExchange
