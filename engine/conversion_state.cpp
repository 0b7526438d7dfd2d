#include "conversion_state.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "byte_stream.h"
#include "text_utils.h"

int32_t g_language = 1;
uint8_t g_gdbVersion = 0;
uint32_t g_waypointSerial = 1;
uint8_t g_messagePending = 0;
char g_messageText[kMessageSize] = {};
char g_nameBuffer[kMaxTextLength + 2] = {};
uint32_t g_recordNumber = 0;
uint32_t g_maxViasPerRoute = 0;
uint32_t g_pointCount = 0;
int32_t g_pointLat[kMaxPoints] = {};
int32_t g_pointLon[kMaxPoints] = {};
OutputStream* g_traceOutput = nullptr;
WaypointPosition g_waypointPositions[kWaypointSlots] = {};
uint32_t g_waypointPositionCount = 0;

namespace {
constexpr const char kPointLimitText[] = "Route point limit reached - track truncated!";
}

void AppendPointToFullTable() {
  Trace("%s\n", kPointLimitText);
  SetMessage(kPointLimitText);
}

namespace {

uint64_t SlotHash(uint64_t nameHash) {
  return nameHash != 0 ? nameHash : 1;
}

// Fibonacci hashing: the top bits of the product, which every bit of the
// name hash reaches. Names that differ in their last digits alone gave long
// runs of neighbouring slots with the plain low bits.
uint32_t HomeSlot(uint64_t hash) {
  return static_cast<uint32_t>((hash * 0x9E3779B97F4A7C15ull) >> (64 - kWaypointSlotBits));
}

// The slot that holds nameHash, or the free slot where it belongs.
WaypointPosition& SlotFor(uint64_t hash) {
  uint32_t slot = HomeSlot(hash);
  while (g_waypointPositions[slot].nameHash != 0 && g_waypointPositions[slot].nameHash != hash) {
    slot = (slot + 1) & (kWaypointSlots - 1);
  }
  return g_waypointPositions[slot];
}

}  // namespace

void ForgetWaypoints() {
  if (g_waypointPositionCount == 0) return;
  std::memset(g_waypointPositions, 0, sizeof g_waypointPositions);
  g_waypointPositionCount = 0;
}

void RememberWaypoint(uint64_t nameHash, int32_t latitude, int32_t longitude) {
  const uint64_t hash = SlotHash(nameHash);
  WaypointPosition& slot = SlotFor(hash);
  if (slot.nameHash == 0) {
    if (g_waypointPositionCount == kMaxWaypointPositions) return;
    ++g_waypointPositionCount;
  }
  slot = {hash, latitude, longitude};
}

bool FindWaypoint(uint64_t nameHash, int32_t& latitude, int32_t& longitude) {
  const WaypointPosition& slot = SlotFor(SlotHash(nameHash));
  if (slot.nameHash == 0) return false;
  latitude = slot.latitude;
  longitude = slot.longitude;
  return true;
}

void Trace(const char* format, ...) {
  if (g_traceOutput == nullptr) return;
  char line[kMessageSize];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (length <= 0) return;
  const size_t size =
      static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length) : sizeof line - 1;
  g_traceOutput->WriteBlock(reinterpret_cast<const uint8_t*>(line), size);
}

void SetMessage(const char* text) {
  CopyUtf8Cut(g_messageText, sizeof g_messageText, text);
  g_messagePending = 1;
}
