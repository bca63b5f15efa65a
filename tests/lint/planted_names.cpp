// Names that clang-tidy's naming check (.clang-tidy) is to report: each declaration marked "reported" must be, and
// no other. Checked by the "planted_names" lint test; never built.

constexpr int kConstexprName = 1;           // reported
const int kGlobalName = 2;                  // reported
const char* const kGlobalPointerName = "";  // reported
constexpr int snake_name = 3;               // reported
constexpr int CapitalName = 4;              // reported

constexpr int constexprName = 5;
const int globalName = 6;
const char* const globalPointerName = "";
constexpr int k = 7;
constexpr int kilobytes = 8;
constexpr int k2 = 9;

struct Holder {
  static constexpr int kMemberName = 1;  // reported
  static const int kClassName;           // reported
  static constexpr int memberName = 2;
  static const int className;
};

int user(int value) {
  static const int kStaticName = 1;       // reported
  const int kLocalName = 2;               // reported
  constexpr int kLocalConstexprName = 3;  // reported
  static const int staticName = 4;
  const int localName = 5;
  const int return_ = 6;
  return value + kStaticName + kLocalName + kLocalConstexprName + staticName + localName + return_;
}
