// The reference base of the VUR-TXT v2 communication, read for the working company.
#include "FuzzSupport.h"
#include "exchange/communication/BaseReader.h"

QUENDO_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::ScratchPath("RT2_17_1_BASE.TXT");
  fuzz::WriteWhole(path, fuzz::Bytes(data, size));
  const BaseReadResult result = ReadReferenceBase(path, 17, nullptr);
  fuzz::Require((result.outcome == BaseOutcome::Read) == (result.model != nullptr), "a model without a read base");
  fuzz::TakeNotices();
  return 0;
}
