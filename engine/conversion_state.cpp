#include "conversion_state.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "byte_stream.h"
#include "messages.h"
#include "text_utils.h"

void StartConversion(ConversionState& state, const ConversionSettings& settings) {
  state.settings = settings;
  state.counts = {};
  state.gdbVersion = 0;
  state.waypointSerial = 1;
  state.recordNumber = 0;
  state.messagePending = 0;
  state.messageText[0] = '\0';
  state.nameBuffer[0] = '\0';
  state.pointCount = 0;
  ForgetWaypoints(state);
}

void ConversionStateDeleter::operator()(ConversionState* state) const {
  std::free(state);
}

ConversionStatePtr NewConversionState() {
  static_assert(
      std::is_aggregate_v<ConversionState> && std::is_trivially_destructible_v<ConversionState>,
      "a ConversionState begins its life in the zeroed memory of calloc");
  void* memory = std::calloc(1, sizeof(ConversionState));
  if (memory == nullptr) throw std::bad_alloc();
  return ConversionStatePtr(static_cast<ConversionState*>(memory));
}

void AppendPointToFullTable(ConversionState& state) {
  // The point limit's text is the same in every language.
  const char* text = TextFor(MessageId::kPointLimit, Language::kEnglish).text;
  Trace(state, "%s\n", text);
  SetMessage(state, text);
  ++state.pointsRefused;
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

// The slot that holds hash, or the free slot where it belongs.
template <class State>
auto& SlotFor(State& state, uint64_t hash) {
  uint32_t slot = HomeSlot(hash);
  while (state.waypointPositions[slot].nameHash != 0 &&
         state.waypointPositions[slot].nameHash != hash) {
    slot = (slot + 1) & (kWaypointSlots - 1);
  }
  return state.waypointPositions[slot];
}

}  // namespace

void ForgetWaypoints(ConversionState& state) {
  if (state.waypointPositionCount == 0) return;
  std::memset(state.waypointPositions, 0, sizeof state.waypointPositions);
  state.waypointPositionCount = 0;
}

void RememberWaypoint(ConversionState& state, uint64_t nameHash, int32_t latitude,
                      int32_t longitude) {
  const uint64_t hash = SlotHash(nameHash);
  WaypointPosition& slot = SlotFor(state, hash);
  if (slot.nameHash == 0) {
    if (state.waypointPositionCount == kMaxWaypointPositions) return;
    ++state.waypointPositionCount;
  }
  slot = {hash, latitude, longitude};
}

bool FindWaypoint(const ConversionState& state, uint64_t nameHash, int32_t& latitude,
                  int32_t& longitude) {
  const WaypointPosition& slot = SlotFor(state, SlotHash(nameHash));
  if (slot.nameHash == 0) return false;
  latitude = slot.latitude;
  longitude = slot.longitude;
  return true;
}

void Trace(const ConversionState& state, const char* format, ...) {
  OutputStream* trace = state.settings.trace;
  if (trace == nullptr) return;
  char line[kMessageSize];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (length <= 0) return;
  const size_t size =
      static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length) : sizeof line - 1;
  trace->WriteBlock(reinterpret_cast<const uint8_t*>(line), size);
}

void SetMessage(ConversionState& state, const char* text) {
  CopyUtf8Cut(state.messageText, sizeof state.messageText, text);
  state.messagePending = 1;
}
