#include "contact_store.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

#include "export_import.h"

namespace rookery {
namespace {

struct StatementFinalize {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalize>;

constexpr long long kFirstContactId = 5000;  // ids that look like a service's, not like 1, 2

std::string FieldColumns() {
  std::string columns;
  for (int i = 1; i <= kExportColumns; ++i) columns += ", f" + std::to_string(i);
  return columns;
}

bool IsDecimal(const std::string& text) {
  if (text.empty() || text.size() > 18) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

void ContactStore::Closer::operator()(sqlite3* db) const { sqlite3_close(db); }

ContactStore::ContactStore(const std::filesystem::path& file) {
  sqlite3* opened = nullptr;
  const int status = sqlite3_open(file.string().c_str(), &opened);
  db_.reset(opened);  // closed however the constructor ends
  if (status != SQLITE_OK) {
    const std::string why = db_ ? sqlite3_errmsg(db_.get()) : "out of memory";
    throw std::runtime_error("cannot open database " + file.string() + ": " + why);
  }
  std::string fields;
  for (int i = 1; i <= kExportColumns; ++i) fields += ", f" + std::to_string(i) + " BLOB";
  Exec(
      "CREATE TABLE IF NOT EXISTS accounts(login TEXT PRIMARY KEY, password TEXT NOT NULL,"
      " level TEXT NOT NULL)");
  Exec(
      "CREATE TABLE IF NOT EXISTS contacts(id INTEGER PRIMARY KEY AUTOINCREMENT,"
      " owner TEXT NOT NULL, source_file TEXT NOT NULL" +
      fields + ")");
  Exec("INSERT INTO sqlite_sequence(name, seq) SELECT 'contacts', " +
       std::to_string(kFirstContactId) +
       " WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'contacts')");
  AddAccount("demo", "demo", kPalmLevel);
  AddAccount("visitor", "visitor", "web");
}

void ContactStore::Exec(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string why = error ? error : "unknown error";
    sqlite3_free(error);
    throw std::runtime_error("database: " + why);
  }
}

namespace {

Statement Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(db));
  }
  return Statement(stmt);
}

void BindText(sqlite3_stmt* stmt, int index, const std::string& text) {
  sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void BindBlob(sqlite3_stmt* stmt, int index, const std::string& bytes) {
  sqlite3_bind_blob(stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

void StepDone(sqlite3* db, sqlite3_stmt* stmt) {
  if (sqlite3_step(stmt) != SQLITE_DONE) {
    throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(db));
  }
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_blob(stmt, column));
  return text ? std::string(text, sqlite3_column_bytes(stmt, column)) : std::string();
}

}  // namespace

void ContactStore::AddAccount(const std::string& login, const std::string& password,
                              const std::string& level) {
  std::lock_guard lock(mutex_);
  Statement stmt =
      Prepare(db_.get(), "INSERT OR REPLACE INTO accounts(login, password, level) VALUES(?, ?, ?)");
  BindText(stmt.get(), 1, login);
  BindText(stmt.get(), 2, password);
  BindText(stmt.get(), 3, level);
  StepDone(db_.get(), stmt.get());
}

AuthReply ContactStore::CheckLogin(const std::string& login, const std::string& password) {
  std::lock_guard lock(mutex_);
  Statement stmt = Prepare(db_.get(), "SELECT password, level FROM accounts WHERE login = ?");
  BindText(stmt.get(), 1, login);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return AuthReply::Rejected;
  if (ColumnText(stmt.get(), 0) != password) return AuthReply::Rejected;
  return ColumnText(stmt.get(), 1) == kPalmLevel ? AuthReply::Ok : AuthReply::NoPalmLevel;
}

long long ContactStore::FindOwnContact(const std::string& owner, const std::string& idText) {
  if (!IsDecimal(idText)) return 0;
  Statement stmt = Prepare(db_.get(), "SELECT id FROM contacts WHERE id = ? AND owner = ?");
  sqlite3_bind_int64(stmt.get(), 1, std::stoll(idText));
  BindText(stmt.get(), 2, owner);
  return sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.get(), 0) : 0;
}

std::vector<long long> ContactStore::StoreContacts(
    const std::string& owner, const std::string& sourceFile,
    const std::vector<std::vector<std::string>>& records) {
  std::lock_guard lock(mutex_);
  std::vector<long long> ids;
  Exec("BEGIN");
  try {
    for (const auto& fields : records) ids.push_back(StoreContact(owner, sourceFile, fields));
  } catch (...) {
    Exec("ROLLBACK");
    throw;
  }
  Exec("COMMIT");
  return ids;
}

long long ContactStore::StoreContact(const std::string& owner, const std::string& sourceFile,
                                     const std::vector<std::string>& fields) {
  constexpr int kDbIdColumn = 28;
  const long long existing = FindOwnContact(owner, fields[kDbIdColumn - 1]);
  std::string sql;
  if (existing != 0) {
    sql = "UPDATE contacts SET owner = ?, source_file = ?";
    for (int i = 1; i <= kExportColumns; ++i) sql += ", f" + std::to_string(i) + " = ?";
    sql += " WHERE id = " + std::to_string(existing);
  } else {
    sql = "INSERT INTO contacts(owner, source_file" + FieldColumns() + ") VALUES(?, ?";
    for (int i = 1; i <= kExportColumns; ++i) sql += ", ?";
    sql += ")";
  }
  Statement stmt = Prepare(db_.get(), sql);
  BindText(stmt.get(), 1, owner);
  BindText(stmt.get(), 2, sourceFile);
  for (int i = 0; i < kExportColumns; ++i) BindBlob(stmt.get(), i + 3, fields[i]);
  StepDone(db_.get(), stmt.get());
  return existing != 0 ? existing : sqlite3_last_insert_rowid(db_.get());
}

void ContactStore::DeleteContacts() {
  std::lock_guard lock(mutex_);
  Exec("DELETE FROM contacts");
}

long long ContactStore::ContactCount() {
  std::lock_guard lock(mutex_);
  Statement stmt = Prepare(db_.get(), "SELECT COUNT(*) FROM contacts");
  sqlite3_step(stmt.get());
  return sqlite3_column_int64(stmt.get(), 0);
}

std::string ContactStore::ContactListing() {
  std::lock_guard lock(mutex_);
  Statement stmt = Prepare(db_.get(), "SELECT id, owner, f1, f2 FROM contacts ORDER BY id");
  std::string out;
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    out += std::to_string(sqlite3_column_int64(stmt.get(), 0)) + "\t" + ColumnText(stmt.get(), 1) +
           "\t" + ColumnText(stmt.get(), 2) + "\t" + ColumnText(stmt.get(), 3) + "\n";
  }
  return out;
}

}  // namespace rookery
