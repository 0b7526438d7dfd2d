// One fuzz case: runs the engine over arbitrary bytes and checks what must
// hold for every input. Shared by the libFuzzer target and the replay program
// that runs the corpus and the regression files under ctest.
//
// A case is a 5-byte prefix and the input file:
//
//   byte 0     processing mode, taken modulo 6: T U R S V W
//   bytes 1-2  via-point maximum, little-endian, taken as 1 + value % 1000
//   byte 3     slice size of the input stream (0: the whole input at once)
//   byte 4     message language, taken as 1 + value % 4
//   bytes 5..  the GDB file
//
// Checked, besides what the sanitizers catch:
// - the header is copied as it was read;
// - after every record the input stands where the record's frame says the
//   next record starts (or the input has ended);
// - every record handled consumes at least its 5-byte frame, and the output
//   and the trace lines grow at most by a fixed factor of the input read, so a
//   run does bounded work per input byte;
// - no byte beyond the input is handed out;
// - every record in the output has a length field equal to its body, the
//   last record excepted when the input ended inside it (that record is then
//   cut where the input ended).
// A failed check prints what went wrong and aborts.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kCasePrefix = 5;

void RunConvertCase(const uint8_t* data, size_t size);
