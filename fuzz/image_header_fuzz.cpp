// Any bytes at the start of an executable, as anyone can put one in a game folder:
// the check reads its header within those bytes alone, and takes it for a game's
// only when its PE32 image base and size, read here apart, span every row.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "checker/survey.h"
#include "contract.h"
#include "fail.h"

namespace {

std::uint32_t Le(const std::uint8_t* at, std::size_t bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = bytes; i-- > 0;) value = value << 8 | at[i];
  return value;
}

bool Spans(const std::uint8_t* data, std::size_t size) {
  if (size < 0x40 || data[0] != 'M' || data[1] != 'Z') return false;
  const std::uint64_t nt = Le(data + 0x3C, 4);
  if (nt + 0x54 > size || Le(data + nt, 4) != 0x4550 || Le(data + nt + 0x18, 2) != 0x10B) return false;
  const std::uint64_t base = Le(data + nt + 0x34, 4);
  const std::uint64_t end = base + Le(data + nt + 0x50, 4);
  for (const LumavaleRow& row : kLumavaleRows) {
    if (row.address < base || std::uint64_t{row.address} + row.width > end) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A heap block of exactly the input, so ASan sees any read past its end.
  const std::unique_ptr<char[]> bytes(new char[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(bytes.get(), data, size);
  if (lumavale::check::SpansEveryRow(std::string_view(bytes.get(), size)) != Spans(data, size)) {
    lumavale::fuzz::Fail("SpansEveryRow differs from the header's own fields",
                         std::string(bytes.get(), size).substr(0, 0x100));
  }
  return 0;
}
