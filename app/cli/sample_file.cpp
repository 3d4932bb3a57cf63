#include "sample_file.h"

#include <array>
#include <string>

#include "address_file/dat_encoder.h"
#include "address_file/dat_format.h"
#include "address_file/dat_output.h"

namespace brindle::cli {

namespace {

// A small deterministic generator, so a seed gives the same file on every machine.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[static_cast<std::size_t>(Below(static_cast<int>(N)))];
  }

 private:
  std::uint64_t state_;
};

struct Category {
  std::int32_t number;
  const char* longName;
  const char* shortName;
};
constexpr std::array<Category, 5> kCategories = {{
    {1, "Business", "Bus"},
    {2, "Personal", "Pers"},
    {3, "QuickList", "Quick"},
    {4, "Famille \xE9largie", "Fam"},  // "Famille élargie"
    {5, "Suppliers", "Supp"},
}};

// Names in Windows-1252: accents must survive the export byte for byte.
constexpr std::array<const char*, 16> kFirst = {"Ann",
                                                "Jos\xE9",
                                                "Fran\xE7oise",
                                                "Bj\xF6rn",
                                                "Zo\xEB",
                                                "Ren\xE9",
                                                "Marta",
                                                "\xC5sa",
                                                "Nu\xF1o",
                                                "Peter",
                                                "Chlo\xE9",
                                                "J\xFCrgen",
                                                "Ines",
                                                "Mar\xED"
                                                "a",
                                                "Olaf",
                                                "S\xF8ren"};
constexpr std::array<const char*, 16> kLast = {"Smith",
                                               "M\xFCller",
                                               "Garc\xED"
                                               "a",
                                               "O'Brien",
                                               "Dupont",
                                               "\xC6rlig",
                                               "Novak",
                                               "Le\xF3n",
                                               "Kowalski",
                                               "Br\xFCgge",
                                               "Fontaine",
                                               "Andersson",
                                               "Rossi",
                                               "\x8Akoda",
                                               "Weiss",
                                               "Ng"};
constexpr std::array<const char*, 8> kCompanies = {"Acme \"East\", Inc",   "Tarnwick & Sons",
                                                   "Caf\xE9 du Parc",      "Northwind, Ltd.",
                                                   "Smith, Jones & Co.",   "",
                                                   "\"Blue Door\" Studio", "M\xFCller GmbH"};
constexpr std::array<const char*, 8> kStreets = {"12 High Street",
                                                 "Apt. 4, \"The Willows\"\r\n22 Mill Lane",
                                                 "Rue de l'\xC9glise 7",
                                                 "PO Box 118",
                                                 "1 Main St., Suite 300",
                                                 "Hauptstra\xDF"
                                                 "e 5",
                                                 "Flat 2\r\n9 King's Road",
                                                 "45 Elm Ave"};
constexpr std::array<const char*, 8> kCities = {"Springfield",
                                                "Montr\xE9"
                                                "al",
                                                "K\xF6ln",
                                                "London",
                                                "Lyon",
                                                "Oslo",
                                                "Portland",
                                                "Sevilla"};
constexpr std::array<const char*, 4> kTitles = {"", "Dr.", "Sales Manager",
                                                "Directeur g\xE9n\xE9ral"};

void WriteHeader(DatEncoder& e, std::int32_t records) {
  e.Raw({0xBE, 0xBA, 0xFE, 0xCA});  // the tag CAFEBABE, little-endian
  e.Text("PalmSG Database");
  e.Raw({'0', '0', 'R', 'V'});
  e.Raw({0x01, 0x00, 0x04, 0x00});
  for (int i = 0; i < 3; ++i) e.Long(0);
  e.Long(records + dat_format::kRecordCountBias);
  e.Long(0);
  e.Long(records + 1);  // next free identifier, as a real file keeps it
  e.Text("C:\\Program Files\\Palm\\TarnwickJ\\address\\address.dat");
  e.Text("Address Book");
  e.Long(0);
  e.Long(0);
  e.Short(1);
  const char* labels[] = {"Work", "Home",  "Fax",    "Other",   "E-mail",
                          "Main", "Pager", "Mobile", "Birthday"};
  for (int i = 0; i < dat_format::kTableTexts; ++i) {
    e.Text(labels[i]);
    e.Long(i);
  }
  for (int i = 0; i < dat_format::kHeaderRaw17; ++i) e.Long(0);
  e.Short(0);
  e.Long(static_cast<std::int32_t>(kCategories.size()) + 1);
  e.Long(static_cast<std::int32_t>(kCategories.size()));
  for (const Category& c : kCategories) {
    e.Long(c.number);
    e.Long(c.number);  // a real file keeps the category's id here as well
    e.Long(0);
    e.Text(c.longName);
    e.Text(c.shortName);
  }
  // The field-type table: 1 for an integer field, 5 for a text field.
  const int types[dat_format::kFieldTypeLongs] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                  5, 5, 5, 5, 5, 5, 1, 5, 5, 5, 5, 5, 5, 5,
                                                  5, 1, 1, 1, 1, 1, 1, 1, 5, 5, 5, 5, 5, 5};
  for (int t : types) e.Long(t);
  e.Long(0);
}

struct Person {
  std::string first, last, company, title, street, city, phone, mobile, email, note;
  std::int32_t category = 0, status = 0, id = 0, birthday = 0;
};

std::string Digits(Random& r, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('0' + r.Below(10));
  return s;
}

// A note of at least `size` characters.
std::string LongNote(Random& r, std::size_t size) {
  std::string note = "Met at the trade fair, \"Booth 12\".\r\n";
  while (note.size() < size) {
    note += "Follow up on order #" + Digits(r, 5) + ", delivery to the warehouse, gate " +
            std::to_string(r.Below(9) + 1) + ".\r\n";
  }
  return note;
}

Person MakePerson(Random& r, std::int32_t index) {
  Person p;
  p.id = 8400001 + index * 3;
  p.first = r.Pick(kFirst);
  p.last = r.Pick(kLast);
  p.company = r.Pick(kCompanies);
  p.title = r.Pick(kTitles);
  p.street = r.Pick(kStreets);
  p.city = r.Pick(kCities);
  p.phone = "+1 (555) " + Digits(r, 3) + "-" + Digits(r, 4);
  p.mobile = r.Below(2) ? "+44 7700 " + Digits(r, 6) : "";
  std::string local = p.first.substr(0, 1) + p.last;
  for (char& c : local) c = static_cast<unsigned char>(c) < 0x80 && c != '\'' ? c : 'x';
  p.email = local + "@example.org";
  p.category = index % 7 == 6 ? 0 : kCategories[static_cast<std::size_t>(index % 5)].number;
  p.status = index % 11 == 10 ? dat_format::kSkippedStatus : 0;
  // Seconds since 1970; many birthdays lie before it and are stored as negative numbers.
  p.birthday = -400000000 + r.Below(1000000000);
  // Notes in the two longer length forms: one over 254 characters, one over 65,533.
  if (index == 3) p.note = LongNote(r, 700);
  if (index == 8) p.note = LongNote(r, 70000);
  return p;
}

void WriteRecord(DatEncoder& e, const Person& p) {
  e.IntField(1);
  e.IntField(1);
  e.IntField(p.status);
  e.IntField(p.id);
  e.IntField(0);
  e.IntField(p.category);
  for (int i = 0; i < dat_format::kBareIntegers; ++i) e.Long(i == 8 ? 1 : 0);
  e.Long(0);  // no block
  e.TextField("");
  e.TextField("");
  e.TextField(p.last);     // 19
  e.TextField(p.first);    // 20
  e.TextField(p.title);    // 21
  e.TextField(p.company);  // 22
  e.IntField(0);           // 23
  e.TextField(p.street);   // 24
  e.TextField(p.phone);    // 25 .. 31: phone slots
  e.TextField("");
  e.TextField("");
  e.TextField("");
  e.TextField(p.email);
  e.TextField("");
  e.TextField(p.mobile);
  for (int i = 0; i < 7; ++i) e.IntField(i);                       // 32 .. 38
  for (int i = 1; i <= 8; ++i) e.TextField(i == 1 ? p.city : "");  // custom1 .. custom8
  e.TextField("");                                                 // custom9: no database id yet
  e.IntField(0);                                                   // 48
  e.TextField(p.city);                                             // 49 .. 53
  e.TextField("");
  e.TextField(std::to_string(10000 + p.id % 89999));
  e.TextField("");
  e.TextField("");
  e.IntField(0);                                // 54
  for (int i = 0; i < 5; ++i) e.TextField("");  // 55 .. 59
  e.IntField(p.birthday);                       // 60
  for (int i = 61; i <= 67; ++i) e.TextField(i == 66 ? p.note : "");
  e.IntField(0);                                // 68
  e.IntField(0);                                // 69
  e.TextField("");                              // 70
  e.Long(0);                                    // 71
  e.Long(p.birthday);                           // 72
  e.Raw({0, 0, 0, 0});                          // 73
  e.IntField(0);                                // 74
  e.IntField(0);                                // 75
  e.IntField(0);                                // 76
  for (int i = 0; i < 4; ++i) e.TextField("");  // 77 .. 80
}

}  // namespace

void WriteSampleFile(const std::filesystem::path& path, const SampleOptions& options) {
  DatOutput out(path);
  // Items are composed in memory and written out one record at a time.
  std::string bytes;
  DatEncoder e(bytes);
  Random r(options.seed);
  WriteHeader(e, options.records);
  for (std::int32_t i = 0; i < options.records; ++i) {
    WriteRecord(e, MakePerson(r, i));
    out.Write(bytes);
    bytes.clear();
  }
  out.Write(bytes);
  out.Commit();
}

}  // namespace brindle::cli
