#include "gpx.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace runtest {

namespace {

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void AppendUtf8(std::string& out, unsigned long code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    const size_t semi = text.find(';', i);
    if (semi == std::string::npos) {
      out += text[i];
      continue;
    }
    const std::string entity = text.substr(i + 1, semi - i - 1);
    if (entity == "amp") {
      out += '&';
    } else if (entity == "lt") {
      out += '<';
    } else if (entity == "gt") {
      out += '>';
    } else if (entity == "quot") {
      out += '"';
    } else if (entity == "apos") {
      out += '\'';
    } else if (entity.size() > 1 && entity[0] == '#') {
      const bool hex = entity[1] == 'x' || entity[1] == 'X';
      AppendUtf8(out, std::strtoul(entity.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10));
    } else {
      out += text.substr(i, semi - i + 1);
    }
    i = semi;
  }
  return out;
}

std::string Coordinate(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7f", value);
  return text;
}

void WritePoint(std::string& out, const char* tag, const GpxPoint& point, const char* indent) {
  // Appended piece by piece: GCC 12 takes "<" + std::string(...) for an
  // overlapping copy at -O3 (a false -Wrestrict).
  out += indent;
  out += '<';
  out += tag;
  out += " lat=\"";
  out += Coordinate(point.lat);
  out += "\" lon=\"";
  out += Coordinate(point.lon);
  out += '"';
  if (point.name.empty()) {
    out += "/>\n";
  } else {
    out += "><name>" + Escape(point.name) + "</name></" + tag + ">\n";
  }
}

// The value of attribute name in the text of a start tag.
bool Attribute(const std::string& tag, const char* name, double& value) {
  const std::string key = std::string(" ") + name + "=";
  const size_t at = tag.find(key);
  if (at == std::string::npos) return false;
  const size_t open = at + key.size();
  if (open >= tag.size() || (tag[open] != '"' && tag[open] != '\'')) return false;
  const size_t close = tag.find(tag[open], open + 1);
  if (close == std::string::npos) return false;
  const std::string text = tag.substr(open + 1, close - open - 1);
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0';
}

}  // namespace

size_t GpxData::RoutePoints() const {
  size_t count = 0;
  for (const GpxPath& route : routes) count += route.points.size();
  return count;
}

size_t GpxData::TrackPoints() const {
  size_t count = 0;
  for (const GpxPath& track : tracks) count += track.points.size();
  return count;
}

const GpxPath* GpxData::Route(const std::string& name) const {
  for (const GpxPath& route : routes) {
    if (route.name == name) return &route;
  }
  return nullptr;
}

const GpxPath* GpxData::Track(const std::string& name) const {
  for (const GpxPath& track : tracks) {
    if (track.name == name) return &track;
  }
  return nullptr;
}

std::string WriteGpx(const GpxData& data) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"morvex tests\" "
      "xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
  for (const GpxPoint& point : data.waypoints) WritePoint(out, "wpt", point, "  ");
  for (const GpxPath& route : data.routes) {
    out += "  <rte>\n    <name>" + Escape(route.name) + "</name>\n";
    for (const GpxPoint& point : route.points) WritePoint(out, "rtept", point, "    ");
    out += "  </rte>\n";
  }
  for (const GpxPath& track : data.tracks) {
    out += "  <trk>\n    <name>" + Escape(track.name) + "</name>\n    <trkseg>\n";
    for (const GpxPoint& point : track.points) WritePoint(out, "trkpt", point, "      ");
    out += "    </trkseg>\n  </trk>\n";
  }
  out += "</gpx>\n";
  return out;
}

bool ReadGpx(const std::string& xml, GpxData& data, std::string& error) {
  data = GpxData();
  enum class Path { None, Route, Track };
  Path path = Path::None;
  // Where the next <name> goes: the open point, route or track, if it has none yet.
  std::string* nameTarget = nullptr;

  size_t pos = 0;
  while ((pos = xml.find('<', pos)) != std::string::npos) {
    if (xml.compare(pos, 4, "<!--") == 0) {
      const size_t end = xml.find("-->", pos);
      if (end == std::string::npos) return error = "unterminated comment", false;
      pos = end + 3;
      continue;
    }
    const size_t close = xml.find('>', pos);
    if (close == std::string::npos) return error = "unterminated tag", false;
    const std::string tag = xml.substr(pos, close - pos + 1);
    const bool ending = tag.size() > 1 && tag[1] == '/';
    const bool empty = tag.size() > 2 && tag[tag.size() - 2] == '/';
    size_t nameEnd = ending ? 2 : 1;
    while (nameEnd < tag.size() && tag[nameEnd] != ' ' && tag[nameEnd] != '>' &&
           tag[nameEnd] != '/' && tag[nameEnd] != '\n' && tag[nameEnd] != '\t') {
      ++nameEnd;
    }
    const std::string name = tag.substr(ending ? 2 : 1, nameEnd - (ending ? 2 : 1));
    const size_t textStart = close + 1;
    pos = close + 1;

    if (name == "name") {
      if (!ending && !empty) {
        const size_t end = xml.find("</name>", textStart);
        if (end == std::string::npos) return error = "unterminated name", false;
        if (nameTarget != nullptr && nameTarget->empty()) {
          *nameTarget = Unescape(xml.substr(textStart, end - textStart));
        }
        pos = end + 7;
      }
      continue;
    }
    if (name == "wpt" || name == "rtept" || name == "trkpt") {
      if (ending) {
        nameTarget = path == Path::Route   ? &data.routes.back().name
                     : path == Path::Track ? &data.tracks.back().name
                                           : nullptr;
        continue;
      }
      GpxPoint next;
      if (!Attribute(tag, "lat", next.lat) || !Attribute(tag, "lon", next.lon)) {
        return error = "point without coordinates: " + tag, false;
      }
      std::vector<GpxPoint>* list = nullptr;
      if (name == "wpt") list = &data.waypoints;
      if (name == "rtept" && path == Path::Route) list = &data.routes.back().points;
      if (name == "trkpt" && path == Path::Track) list = &data.tracks.back().points;
      if (list == nullptr) return error = "point outside its route or track: " + tag, false;
      list->push_back(next);
      if (!empty) nameTarget = &list->back().name;
      continue;
    }
    if (name == "rte" || name == "trk") {
      if (ending) {
        path = Path::None;
        nameTarget = nullptr;
      } else if (name == "rte") {
        data.routes.emplace_back();
        path = Path::Route;
        nameTarget = &data.routes.back().name;
      } else {
        data.tracks.emplace_back();
        path = Path::Track;
        nameTarget = &data.tracks.back().name;
      }
      continue;
    }
    // Any other element (cmt, desc, sym, trkseg, ...) is passed over; a
    // link's text element is not a name.
    if (!ending && !empty && name == "link") {
      const size_t end = xml.find("</link>", textStart);
      if (end != std::string::npos) pos = end + 7;
    }
  }
  if (path != Path::None) return error = "unterminated route or track", false;
  return true;
}

std::vector<GpxPoint> WithoutRepeats(const std::vector<GpxPoint>& points) {
  std::vector<GpxPoint> out;
  for (const GpxPoint& point : points) {
    if (!out.empty() && out.back().lat == point.lat && out.back().lon == point.lon) continue;
    out.push_back(point);
  }
  return out;
}

int Semicircles(double degrees) {
  return static_cast<int>(std::lround(degrees * 2147483648.0 / 180.0));
}

}  // namespace runtest
