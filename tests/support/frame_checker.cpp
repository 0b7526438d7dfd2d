#include "frame_checker.h"

#include <cstring>

namespace gdbtest {

namespace {

// Reads forward within [pos, end); any read past end sets short_.
class Cursor {
 public:
  Cursor(std::string_view bytes, size_t pos, size_t end) : bytes_(bytes), pos_(pos), end_(end) {}

  size_t Pos() const { return pos_; }
  uint8_t ByteAt(size_t pos) const { return static_cast<uint8_t>(bytes_[pos]); }
  bool Short() const { return short_; }

  bool Skip(size_t count) {
    if (short_ || end_ - pos_ < count) return Fail();
    pos_ += count;
    return true;
  }
  bool Has(size_t count) const { return !short_ && end_ - pos_ >= count; }
  bool Byte(uint8_t& value) {
    if (short_ || pos_ >= end_) return Fail();
    value = static_cast<uint8_t>(bytes_[pos_++]);
    return true;
  }
  bool U32(uint32_t& value) {
    if (short_ || end_ - pos_ < 4) return Fail();
    value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes_[pos_ + i]);
    pos_ += 4;
    return true;
  }
  bool Text(std::string& text) {
    if (short_) return false;
    const size_t nul = bytes_.find('\0', pos_);
    if (nul == std::string_view::npos || nul >= end_) return Fail();
    text.assign(bytes_.substr(pos_, nul - pos_));
    pos_ = nul + 1;
    return true;
  }
  // A flag byte, then size more bytes when it is not 0.
  bool Flagged(size_t size) {
    uint8_t flag = 0;
    return Byte(flag) && (flag == 0 || Skip(size));
  }
  // 8 bytes, then a flag byte with 8 more when set.
  bool Group() { return Skip(8) && Flagged(8); }
  // A flag byte; when it is 0, two groups follow.
  bool FlaggedGroups() {
    uint8_t flag = 0;
    return Byte(flag) && (flag != 0 || (Group() && Group()));
  }

 private:
  bool Fail() {
    short_ = true;
    return false;
  }
  std::string_view bytes_;
  size_t pos_;
  size_t end_;
  bool short_ = false;
};

size_t VersionBytes(char version) {
  return version == 'l' ? 8 : version == 'm' ? 10 : 0;
}

// Class value (4 bytes, class byte first), country code text, 22 bytes whose
// 9th is the marker byte.
bool WalkPrefix(Cursor& c, FrameWaypoint& waypoint) {
  waypoint.classOffset = c.Pos();
  if (!c.Byte(waypoint.classByte) || !c.Skip(3) || !c.Text(waypoint.country)) return false;
  const size_t markerAt = c.Pos() + 8;
  if (!c.Skip(22)) return false;
  waypoint.markerOffset = markerAt;
  waypoint.marker = c.ByteAt(markerAt);
  return true;
}

void WalkWaypoint(Cursor& c, FrameRecord& record, std::string_view bytes) {
  FrameWaypoint waypoint;
  if (!c.Text(waypoint.name)) return;
  record.name = waypoint.name;
  const bool prefixWhole = WalkPrefix(c, waypoint);
  record.entries.push_back(waypoint);
  // The position follows the prefix; a record too short for it is not
  // damaged, since nothing rewrites a waypoint beyond its prefix.
  if (prefixWhole && c.Has(8)) {
    FramePoint point;
    std::memcpy(&point.lat, bytes.data() + c.Pos(), 4);
    std::memcpy(&point.lon, bytes.data() + c.Pos() + 4, 4);
    record.points.push_back(point);
  }
}

void WalkRoute(Cursor& c, FrameRecord& record, char version, std::string_view bytes) {
  uint32_t entries = 0;
  if (!c.Text(record.name) || !c.Skip(1) || !c.FlaggedGroups() || !c.U32(entries)) return;
  record.declaredCount = entries;
  for (uint32_t i = 0; i < entries; ++i) {
    FrameWaypoint waypoint;
    if (!c.Text(waypoint.name)) return;
    const bool prefixWhole = WalkPrefix(c, waypoint);
    record.entries.push_back(waypoint);
    FrameWaypoint& entry = record.entries.back();
    uint32_t linkPoints = 0;
    if (!prefixWhole || !c.Flagged(version == 'm' ? 16 : 8) || !c.Skip(18) || !c.U32(linkPoints)) {
      return;
    }
    entry.linkCount = linkPoints;
    if (linkPoints == 0) return;
    for (uint32_t p = 0; p < linkPoints; ++p) {
      const size_t at = c.Pos();
      if (!c.Skip(8) || !c.Flagged(8)) return;
      FramePoint point;
      std::memcpy(&point.lat, bytes.data() + at, 4);
      std::memcpy(&point.lon, bytes.data() + at + 4, 4);
      record.points.push_back(point);
      ++entry.linkWalked;
    }
    if (!c.FlaggedGroups() || !c.Skip(VersionBytes(version))) return;
  }
}

void WalkTrack(Cursor& c, FrameRecord& record, std::string_view bytes) {
  uint32_t points = 0;
  if (!c.Text(record.name) || !c.Skip(5) || !c.U32(points)) return;
  record.declaredCount = points;
  for (uint32_t p = 0; p < points; ++p) {
    const size_t at = c.Pos();
    if (!c.Skip(8) || !c.Flagged(8) || !c.Flagged(4) || !c.Flagged(8) || !c.Flagged(8)) return;
    FramePoint point;
    std::memcpy(&point.lat, bytes.data() + at, 4);
    std::memcpy(&point.lon, bytes.data() + at + 4, 4);
    record.points.push_back(point);
  }
}

std::string At(size_t number, const FrameRecord& record, const char* what) {
  std::string text = "record ";
  text += std::to_string(number);
  text += " ('";
  text += (record.type >= 0x20 && record.type < 0x7F) ? record.type : '?';
  text += "', at offset ";
  text += std::to_string(record.offset);
  text += ", length ";
  text += std::to_string(record.length);
  text += "): ";
  text += what;
  return text;
}

bool CheckHeader(std::string_view bytes, FrameReport& report) {
  Cursor c(bytes, 0, bytes.size());
  std::string signature;
  if (!c.Text(signature) || signature != "MsRcf") {
    report.error = "header: no \"MsRcf\" signature text at offset 0";
    return false;
  }
  uint8_t version = 0;
  if (!c.Skip(5) || !c.Byte(version)) {
    report.error = "header: ends before the version letter at offset 11";
    return false;
  }
  if (version != 'k' && version != 'l' && version != 'm') {
    report.error = "header: version letter at offset 11 is not 'k', 'l' or 'm'";
    return false;
  }
  report.version = static_cast<char>(version);
  std::string text;
  if (!c.Skip(8) || !c.Text(text) || !c.Text(text) || !c.Text(text)) {
    report.error = "header: ends inside the three texts after offset 20";
    return false;
  }
  const size_t creatorAt = c.Pos();
  if (!c.Text(report.creator) || (report.creator != "MapSource" && report.creator != "BaseCamp")) {
    report.error = "header: creator text at offset " + std::to_string(creatorAt) +
                   " is not \"MapSource\" or \"BaseCamp\"";
    return false;
  }
  report.headerSize = c.Pos();
  return true;
}

}  // namespace

FrameReport CheckFrames(std::string_view bytes, FrameOptions options) {
  FrameReport report;
  if (!CheckHeader(bytes, report)) return report;
  size_t pos = report.headerSize;
  bool ended = false;
  while (!ended) {
    const size_t number = report.records.size() + 1;
    if (pos == bytes.size()) {
      report.error = "file ends at offset " + std::to_string(pos) + " without an end record";
      return report;
    }
    FrameRecord record;
    record.offset = pos;
    if (bytes.size() - pos < 5) {
      report.error = "record " + std::to_string(number) + " at offset " + std::to_string(pos) +
                     ": frame cut short by the end of the file";
      return report;
    }
    std::memcpy(&record.length, bytes.data() + pos, 4);
    record.type = bytes[pos + 4];
    const size_t bodyStart = pos + 5;
    if (bytes.size() - bodyStart < record.length) {
      report.error = At(number, record, "body runs past the end of the file (") +
                     std::to_string(bytes.size() - bodyStart) + " bytes left)";
      return report;
    }
    const size_t bodyEnd = bodyStart + record.length;
    Cursor c(bytes, bodyStart, bodyEnd);
    switch (record.type) {
      case 'W':
        WalkWaypoint(c, record, bytes);
        ++report.waypoints;
        break;
      case 'R':
        WalkRoute(c, record, report.version, bytes);
        ++report.routes;
        report.routeEntries += record.entries.size();
        report.linkPoints += record.points.size();
        break;
      case 'T':
        WalkTrack(c, record, bytes);
        ++report.tracks;
        report.trackPoints += record.points.size();
        break;
      case 'V':
        ended = true;
        break;
      default:
        ++report.otherRecords;
        break;
    }
    record.walked = c.Pos() - bodyStart;
    record.damaged = c.Short();
    if (record.damaged) {
      ++report.damagedRecords;
      if (!options.allowDamaged) {
        report.error =
            At(number, record, "layout walk needs bytes past the record's end (walked ") +
            std::to_string(record.walked) + ")";
        report.records.push_back(std::move(record));
        return report;
      }
    }
    report.records.push_back(std::move(record));
    pos = bodyEnd;
  }
  if (pos != bytes.size()) {
    report.error = "end record is followed by " + std::to_string(bytes.size() - pos) +
                   " more bytes at offset " + std::to_string(pos);
    return report;
  }
  report.ok = true;
  return report;
}

}  // namespace gdbtest
