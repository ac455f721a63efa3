#include "translate/po_file.h"

#include <gettext-po.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

// `line` 0: a fault of the whole text, not of one line.
[[noreturn]] void Refuse(size_t line, const std::string& what) {
  Raise(kErrMalformedCatalog,
        line == 0 ? what : "Zeile " + std::to_string(line) + ": " + what);
}

// ---- The text before the library reads it ----
//
// The library takes a NUL for the end of a text and cuts it there without a
// word, does not tell on which line an entry stands, and checks UTF-8 only
// when the header names it.  One pass over the text makes up for that.

// Whether the escape at the backslash `*i` of `s` stands for NUL: an octal
// escape of up to three zeros or a hexadecimal one of zeros only.  Moves
// `*i` to the escape's last character.
bool EscapesNul(std::string_view s, size_t* i) {
  if (*i + 1 == s.size()) return false;
  const char kind = s[++*i];
  const bool octal = kind >= '0' && kind <= '7';
  if (!octal && kind != 'x') return false;
  size_t digit = octal ? *i : *i + 1;
  const size_t first = digit;
  bool zero = true;
  auto is_digit = [&](char d) {
    return octal ? d >= '0' && d <= '7'
                 : std::isxdigit(static_cast<unsigned char>(d)) != 0;
  };
  while (digit < s.size() && (!octal || digit - first < 3) && is_digit(s[digit])) {
    zero = zero && s[digit] == '0';
    ++digit;
  }
  *i = digit - 1;
  return digit > first && zero;
}

// The lines of the msgid keywords of the live entries, in their order.
// Raises for bytes that are not UTF-8, a NUL character raw or escaped, and a
// domain directive (whose entries would fall outside the one catalogue).
std::vector<int> ScanText(std::string_view text) {
  std::vector<int> msgid_lines;
  int line = 1;
  for (size_t start = 0; start <= text.size(); ++line) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view whole = text.substr(start, end - start);
    if (whole.find('\0') != std::string_view::npos) {
      Refuse(line, "Nullzeichen im Text");
    }
    if (!IsUtf8(whole)) Refuse(line, "der Text ist kein gültiges UTF-8");
    // Comments, obsolete entries among them, reach to the end of the line;
    // a string ends at its closing quote or at the end of the line.
    for (size_t i = 0; i < whole.size();) {
      const char c = whole[i];
      if (c == '#') break;
      if (c == '"') {
        for (++i; i < whole.size() && whole[i] != '"'; ++i) {
          if (whole[i] == '\\' && EscapesNul(whole, &i)) {
            Refuse(line, "Nullzeichen im Text");
          }
        }
        ++i;
        continue;
      }
      if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
        size_t word_end = i;
        while (word_end < whole.size() &&
               (std::isalnum(static_cast<unsigned char>(whole[word_end])) ||
                whole[word_end] == '_' || whole[word_end] == '[' ||
                whole[word_end] == ']')) {
          ++word_end;
        }
        const std::string_view word = whole.substr(i, word_end - i);
        if (word == "msgid") msgid_lines.push_back(line);
        if (word == "domain") {
          Refuse(line, "domain wird nicht unterstützt (nur ein Katalog)");
        }
        i = word_end;
        continue;
      }
      ++i;
    }
    start = end + 1;
  }
  return msgid_lines;
}

// ---- The library ----

// The library's state is global: one user at a time.
std::mutex& LibraryMutex() {
  static std::mutex mutex;
  return mutex;
}

// The first error the library reported in the current call (warnings are
// not errors).
struct Problem {
  size_t line;
  std::string text;
};
std::optional<Problem>& FirstProblem() {
  static std::optional<Problem> problem;
  return problem;
}

void NoteProblem(int severity, const char* filename, size_t line,
                 const char* text) {
  if (severity == PO_SEVERITY_WARNING || FirstProblem()) return;
  std::string description = text != nullptr ? text : "";
  const size_t line_feed = description.find('\n');
  if (line_feed != std::string::npos) description.resize(line_feed);
  // A place in another file, or none, is no line of the text.
  if (filename == nullptr || line == static_cast<size_t>(-1)) line = 0;
  FirstProblem() = Problem{line, description};
}

// The library wants a fatal error's handler not to return.  Reading and
// writing an in-memory file meet none but the end of memory, which the
// library handles itself by ending the process; returning is safe for the
// rest, since the code after such a report only cleans up.
void OnProblem(int severity, po_message_t, const char* filename, size_t line,
               size_t, int, const char* text) {
  NoteProblem(severity, filename, line, text);
}

void OnTwoPlaceProblem(int severity, po_message_t, const char* filename,
                       size_t line, size_t, int, const char* text, po_message_t,
                       const char*, size_t, size_t, int, const char*) {
  NoteProblem(severity, filename, line, text);
}

const po_xerror_handler kHandler = {OnProblem, OnTwoPlaceProblem};

struct FreeFile {
  // po_file_free leaves the contexts of the messages behind (gettext 0.21);
  // setting them to none frees them.
  void operator()(po_file_t file) const {
    po_message_iterator_t it = po_message_iterator(file, nullptr);
    while (po_message_t message = po_next_message(it)) {
      po_message_set_msgctxt(message, nullptr);
    }
    po_message_iterator_free(it);
    po_file_free(file);
  }
};
using PoFile = std::unique_ptr<std::remove_pointer_t<po_file_t>, FreeFile>;

struct FreeIterator {
  void operator()(po_message_iterator_t it) const {
    po_message_iterator_free(it);
  }
};
using PoIterator =
    std::unique_ptr<std::remove_pointer_t<po_message_iterator_t>, FreeIterator>;

// A file in memory that the library can open by name: it reads and writes
// catalogues only through file names.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("katalog", MFD_CLOEXEC)) {
    if (fd_ < 0) RaiseSystem("memfd_create");
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  std::string Name() const { return "/proc/self/fd/" + std::to_string(fd_); }

  void Write(std::string_view text) {
    for (size_t done = 0; done < text.size();) {
      ssize_t n = pwrite(fd_, text.data() + done, text.size() - done,
                         static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) RaiseSystem("write");
      done += static_cast<size_t>(n);
    }
  }

  std::string ReadAll() const {
    std::string text;
    char buffer[65536];
    for (;;) {
      ssize_t n = pread(fd_, buffer, sizeof buffer, static_cast<off_t>(text.size()));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) RaiseSystem("read");
      if (n == 0) return text;
      text.append(buffer, static_cast<size_t>(n));
    }
  }

 private:
  [[noreturn]] static void RaiseSystem(const char* what) {
    Raise(kErrMalformedCatalog,
          std::string("der Katalog lässt sich nicht im Speicher halten (") +
              what + ")");
  }

  int fd_;
};

void CheckText(std::string_view text, const PoEntry* entry) {
  const std::string where =
      entry == nullptr ? std::string("im Kopfeintrag")
                       : "in \"" + std::string(entry->id.substr(
                                       0, entry->id.find('\0'))) + "\"";
  if (text.find('\0') != std::string_view::npos) {
    Raise(kErrMalformedCatalog, "Nullzeichen " + where);
  }
  if (!IsUtf8(text)) {
    Raise(kErrMalformedCatalog, "kein gültiges UTF-8 " + where);
  }
}

std::string HeaderWithCharset(const std::string& header) {
  std::unique_ptr<char, decltype(&free)> set(
      po_header_set_field(header.c_str(), "Content-Type",
                          "text/plain; charset=UTF-8"),
      &free);
  return set.get();
}

}  // namespace

std::string FormatPo(const PoCatalog& catalog) {
  CheckText(catalog.header, nullptr);
  for (const PoEntry& entry : catalog.entries) {
    for (const std::string* text : {&entry.context, &entry.id, &entry.translation}) {
      CheckText(*text, &entry);
    }
  }
  std::lock_guard<std::mutex> lock(LibraryMutex());
  PoFile file(po_file_create());
  {
    PoIterator it(po_message_iterator(file.get(), nullptr));
    auto add = [&](const char* context, const std::string& id,
                   const std::string& translation, bool fuzzy) {
      po_message_t message = po_message_create();
      po_message_set_msgctxt(message, context);
      po_message_set_msgid(message, id.c_str());
      po_message_set_msgstr(message, translation.c_str());
      po_message_set_fuzzy(message, fuzzy);
      po_message_insert(it.get(), message);
    };
    add(nullptr, "", HeaderWithCharset(catalog.header), false);
    for (const PoEntry& entry : catalog.entries) {
      add(entry.has_context ? entry.context.c_str() : nullptr, entry.id,
          entry.translation, entry.fuzzy);
    }
  }
  MemoryFile out;
  FirstProblem().reset();
  po_file_write(file.get(), out.Name().c_str(), &kHandler);
  if (FirstProblem()) {
    const std::string text = FirstProblem()->text;
    FirstProblem().reset();
    Raise(kErrMalformedCatalog, "der Katalog lässt sich nicht schreiben: " + text);
  }
  return out.ReadAll();
}

PoCatalog ParsePo(std::string_view text) {
  // The gettext tools do not take a byte-order mark; editors write one.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::vector<int> msgid_lines = ScanText(text);

  MemoryFile in;
  in.Write(text);
  std::lock_guard<std::mutex> lock(LibraryMutex());
  FirstProblem().reset();
  PoFile file(po_file_read(in.Name().c_str(), &kHandler));
  if (FirstProblem() || !file) {
    Problem problem =
        FirstProblem().value_or(Problem{0, "die Datei lässt sich nicht lesen"});
    FirstProblem().reset();
    Refuse(problem.line, problem.text);
  }

  PoCatalog catalog;
  PoIterator it(po_message_iterator(file.get(), nullptr));
  size_t live = 0;
  while (po_message_t message = po_next_message(it.get())) {
    if (po_message_is_obsolete(message)) continue;
    const int line =
        live < msgid_lines.size() ? msgid_lines[live] : 0;
    ++live;
    if (po_message_msgid_plural(message) != nullptr) {
      Refuse(static_cast<size_t>(line),
             "Mehrzahlformen werden nicht unterstützt");
    }
    const char* context = po_message_msgctxt(message);
    PoEntry entry;
    entry.has_context = context != nullptr;
    entry.context = context != nullptr ? context : "";
    entry.id = po_message_msgid(message);
    entry.translation = po_message_msgstr(message);
    entry.fuzzy = po_message_is_fuzzy(message) != 0;
    entry.line = line;
    // Escapes may make bytes that the text itself does not hold.
    for (const std::string* t : {&entry.context, &entry.id, &entry.translation}) {
      if (!IsUtf8(*t)) {
        Refuse(static_cast<size_t>(line), "der Text ist kein gültiges UTF-8");
      }
    }
    if (!entry.has_context && entry.id.empty()) {
      catalog.header = std::move(entry.translation);
    } else {
      catalog.entries.push_back(std::move(entry));
    }
  }
  return catalog;
}

std::string PoHeaderField(std::string_view header, std::string_view name) {
  for (size_t start = 0; start < header.size();) {
    size_t end = header.find('\n', start);
    if (end == std::string_view::npos) end = header.size();
    std::string_view line = header.substr(start, end - start);
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos &&
        EqualsNoCase(Trim(line.substr(0, colon)), name)) {
      return Trim(line.substr(colon + 1));
    }
    start = end + 1;
  }
  return "";
}

}  // namespace vx
