// Writes the address files that the scenario files start from:
//   scenario_fixture NAME PATH
// NAME is one of the fixtures below. Each is composed item by item with the test builder.
#include <iostream>
#include <map>
#include <string>

#include "support/dat_builder.h"

namespace {

using brindle::test::DatBuilder;
using brindle::test::RecordPlan;

// Four categories, a Windows-1252 name, texts with commas and quotes, Unfiled records and one
// record with status 129.
DatBuilder Sample() {
  return DatBuilder()
      .Category(2, "Business")
      .Category(5, "Family")
      .Category(7, "Fr\xFC" "nde")
      .Category(9, "Quick List")
      .Record(RecordPlan(101, 2).Text(19, "Acme, Inc").Text(20, "Smith").Text(21, "Ann"))
      .Record(RecordPlan(102, 5).Text(20, "M\xFCller").Text(24, "line one\r\nline two"))
      .Record(RecordPlan(103, 0).Text(20, "Nobody \"Nemo\""))
      .Record(RecordPlan(104, 5).Status(129).Text(20, "Deleted"))
      .Record(RecordPlan(105, 7).Text(20, "Jones").Custom(9, "db-77"))
      .Record(RecordPlan(106, 2).Text(20, "Brown"))
      .EndMarker();
}

std::string Fixture(const std::string& name) {
  if (name == "sample") return Sample().Bytes();
  if (name == "sample-more") return Sample().Category(11, "New").Bytes();
  if (name == "no-categories") return DatBuilder().Record(RecordPlan(1, 0)).EndMarker().Bytes();
  // The header's record count promises more records than the file holds.
  if (name == "short-records") return Sample().RecordCount(9).Bytes();
  // Cut ten bytes before the end of the header.
  if (name == "damaged") {
    return brindle::test::Truncated(Sample().Bytes(), Sample().HeaderSize() - 10);
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || Fixture(argv[1]).empty()) {
    std::cerr << "usage: scenario_fixture sample|sample-more|no-categories|short-records|damaged "
                 "PATH\n";
    return 2;
  }
  brindle::test::WriteFileBytes(argv[2], Fixture(argv[1]));
  return 0;
}
