// Writes the fuzz targets' seed files (fuzz/corpus/) from files composed item by item.
// Run after changing the builder: make_fuzz_seeds <repo>/fuzz/corpus
#include <iostream>
#include <string>

#include "support/dat_builder.h"

namespace {

using brindle::test::DatBuilder;
using brindle::test::Int4;
using brindle::test::RecordPlan;

std::string WriteBackSeed(const std::string& result, const std::string& dat) {
  std::string seed;
  seed += static_cast<char>(result.size() & 0xFF);
  seed += static_cast<char>(result.size() >> 8);
  return seed + result + dat;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_fuzz_seeds CORPUS_DIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  DatBuilder small;
  small.Category(1, "Business")
      .Category(0, "Zero")
      .Record(RecordPlan(12, 1).Text(19, "Ann, \"A\""));
  DatBuilder varied;
  varied.Category(2, "Caf\xE9")
      .Record(RecordPlan(1, 2).LongText(47, "old").Text(24, "a\r\nb").Block("blk", "xyz"))
      .Record(RecordPlan(2).Status(129).Raw(23, Int4::Raw(0, 0, 0, 0x90)))
      .Record(RecordPlan(3).Raw(60, Int4::Raw(0xFF, 0xFF, 0xFF, 0xFF)))
      .EndMarker()
      .Trailing("tail");
  // Every length form; and a foreign file's lead bytes with a UTF-16 text.
  DatBuilder forms;
  forms.Category(1, "Work").Record(RecordPlan(4, 1)
                                       .Text(19, std::string(300, 'a'))
                                       .Text(20, "four", brindle::test::LengthForm::kFourBytes)
                                       .Text(47, "old", brindle::test::LengthForm::kFourBytes));
  DatBuilder foreign;
  foreign.LeadBytes(Int4::Raw('M', 'S', 'A', 'C'))
      .Record(RecordPlan(6).TextBytes(21, std::string("\xFF\xFE\xFF\x01"
                                                      "A\0",
                                                      6)));
  DatBuilder ended;
  ended.Record(RecordPlan(5).Status(501)).RecordCount(3);

  brindle::test::WriteFileBytes(dir / "reader" / "small.dat", small.Bytes());
  brindle::test::WriteFileBytes(dir / "reader" / "varied.dat", varied.Bytes());
  brindle::test::WriteFileBytes(dir / "reader" / "ended.dat", ended.Bytes());
  brindle::test::WriteFileBytes(dir / "reader" / "forms.dat", forms.Bytes());
  brindle::test::WriteFileBytes(dir / "reader" / "foreign.dat", foreign.Bytes());
  brindle::test::WriteFileBytes(dir / "writeback" / "match.bin",
                                WriteBackSeed("12,900\n\n", small.Bytes()));
  brindle::test::WriteFileBytes(dir / "writeback" / "two_rows.bin",
                                WriteBackSeed("1,a\n\n3,b,c\n\n1,z\n\n", varied.Bytes()));
  brindle::test::WriteFileBytes(dir / "writeback" / "four_byte_custom9.bin",
                                WriteBackSeed("4,db-4\n\n", forms.Bytes()));
  brindle::test::WriteFileBytes(dir / "writeback" / "no_match.bin",
                                WriteBackSeed("77,x\n\n", ended.Bytes()));
  return 0;
}
