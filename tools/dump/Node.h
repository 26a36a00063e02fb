// A decoded message as a small tree of values (null, numbers, texts, lists
// and named fields), and its two renderings: one line of JSON, or indented
// text and tables for people.
#ifndef KESTREL_DUMP_NODE_H
#define KESTREL_DUMP_NODE_H

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kdump {

class Node {
 public:
  enum class Kind { kNull, kBool, kInt, kDouble, kText, kList, kFields };

  static Node Null() { return Node(Kind::kNull); }
  static Node Bool(bool value);
  static Node Int(int64_t value);
  static Node Double(double value);
  // Bytes of a text as they are; a null pointer gives null.
  static Node Text(const char* text);
  static Node Text(std::string_view text);
  static Node List() { return Node(Kind::kList); }
  static Node Fields() { return Node(Kind::kFields); }

  // Appends to a list.
  Node& Add(Node item);
  // Appends a named field.
  Node& Add(std::string name, Node value);

  Kind kind() const { return kind_; }
  int64_t AsInt() const { return int_; }
  double AsDouble() const { return double_; }
  const std::string& AsText() const { return text_; }
  // Items of a list, or values of named fields.
  const std::vector<Node>& Items() const { return items_; }
  // Names of the fields, in order.
  const std::vector<std::string>& Names() const { return names_; }
  // The field of that name; null when there is none.
  const Node* Find(std::string_view name) const;
  bool IsScalar() const { return kind_ != Kind::kList && kind_ != Kind::kFields; }

 private:
  explicit Node(Kind kind) : kind_(kind) {}

  Kind kind_;
  int64_t int_ = 0;
  double double_ = 0;
  std::string text_;
  std::vector<Node> items_;
  std::vector<std::string> names_;
};

// The shortest decimal text that reads back as the same double; "null" for
// values JSON cannot carry (infinities and NaN).
std::string FormatDouble(double value);

// One line of JSON. Texts are written as ASCII: bytes of 0x80 and above
// become \u0080 .. \u00FF (each byte one code point), so texts in other
// encodings survive byte for byte.
void WriteJson(const Node& node, std::string* out);

// Text for people: fields as "name  value" lines, lists of like records as
// tables, series columns side by side. At most maxRows rows of a table or
// series (negative: all).
void WriteTable(const Node& node, int indent, int maxRows, std::string* out);

}  // namespace kdump

#endif  // KESTREL_DUMP_NODE_H
