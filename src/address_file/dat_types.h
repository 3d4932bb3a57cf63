// Values that the address-file reader returns. Texts are kept as the file's bytes
// (Windows-1252, one byte per character) and are never re-encoded inside the libraries.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace brindle {

using Bytes4 = std::array<std::uint8_t, 4>;

struct DatCategory {
  std::int32_t number = 0;
  std::int32_t value2 = 0;
  std::int32_t value3 = 0;
  std::string longName;
  std::string shortName;
};

struct DatHeader {
  Bytes4 leadBytes{};
  std::string leadText;
  Bytes4 headerBytes4{};
  std::string headerText1;
  std::string headerText2;
  std::string tableText9;
  std::int32_t headerLong1 = 0;
  std::int32_t headerLong2 = 0;
  std::int32_t categoryCount = 0;
  // Positions 0 to categoryCount; position 0 is an empty entry so that entry i sits at i.
  std::vector<DatCategory> categories;
  std::int32_t recordCount = 0;
};

// One record. Fields named for a role hold what the program relies on (record id, status,
// category, the custom texts) or what the export's columns carry, as far as it is known; the
// others keep their item number in the record (dat_format.h lists the items, and
// docs/address-file-format.md says which meanings are known and which are assumed).
struct DatRecord {
  std::int32_t item1 = 0, item5 = 0, item72 = 0, item23 = 0, item48 = 0, item54 = 0, item60 = 0,
               item71 = 0;
  std::string item77, item78, item79, item80;
  std::int32_t item76 = 0;
  std::string item18;
  std::int16_t blockMarker = 0;  // item 16: 1 when a block follows
  std::int32_t item2 = 0;        // 0 marks the end of the records
  std::string item15;            // the ninth of the bare integers 7 to 15, as decimal text
  std::int32_t recordId = 0;     // item 4
  std::int32_t status = 0;       // item 3: the state code
  std::string firstName, lastName, title, company;  // items 20, 19, 21, 22
  std::string address;                              // item 24: lines separated by CR LF
  // Items 25 to 31: the phone slots; each slot's label (work, home, e-mail, ...) is chosen
  // per record in Palm Desktop, so an e-mail address may sit in any of them.
  std::string phone1, phone2, phone3, phone4, phone5, phone6, phone7;
  std::string item32, item33, item34, item35, item36, item37, item38;  // decimal texts
  // Items 39 to 47. custom9 receives the service's database identifier.
  std::string custom1, custom2, custom3, custom4, custom5, custom6, custom7, custom8, custom9;
  std::string item49, item50, item51, item52, item53;
  std::string item55, item56, item57, item58, item59;
  std::string item61, item62, item63, item64, item65;
  std::string note;  // item 66
  std::string item67;
  std::string item68, item69;  // decimal texts
  std::string item70;
  bool spareFlag = false;     // never set by the reader; the export writes it as column 29
  std::int32_t category = 0;  // item 6: a category number of the header's table
  Bytes4 item73{};
  std::int16_t item74 = 0, item75 = 0;
  std::string blockName;  // the block of item 16
  std::int32_t blockLength = 0;
};

}  // namespace brindle
