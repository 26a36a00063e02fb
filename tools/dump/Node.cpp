// The value tree of a decoded message and its JSON and table renderings.
#include "dump/Node.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "dump/Indicators.h"

namespace kdump {

Node Node::Bool(bool value) {
  Node node(Kind::kBool);
  node.int_ = value ? 1 : 0;
  return node;
}

Node Node::Int(int64_t value) {
  Node node(Kind::kInt);
  node.int_ = value;
  return node;
}

Node Node::Double(double value) {
  Node node(Kind::kDouble);
  node.double_ = value;
  return node;
}

Node Node::Text(const char* text) {
  return text == nullptr ? Null() : Text(std::string_view(text));
}

Node Node::Text(std::string_view text) {
  Node node(Kind::kText);
  node.text_ = text;
  return node;
}

Node& Node::Add(Node item) {
  items_.push_back(std::move(item));
  return *this;
}

Node& Node::Add(std::string name, Node value) {
  names_.push_back(std::move(name));
  items_.push_back(std::move(value));
  return *this;
}

const Node* Node::Find(std::string_view name) const {
  for (size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) return &items_[i];
  }
  return nullptr;
}

std::string FormatDouble(double value) {
  if (!std::isfinite(value)) return "null";
  // Plain decimals for the sizes that quotes have, exponents beyond them.
  const double size = std::fabs(value);
  const bool plain = size == 0 || (size >= 1e-6 && size < 1e17);
  char buffer[128];
  const auto written =
      plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, written.ptr);
}

namespace {

void JsonText(std::string_view text, std::string* out) {
  static const char kDigits[] = "0123456789abcdef";
  out->push_back('"');
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      out->push_back('\\');
      out->push_back(c);
    } else if (byte < 0x20 || byte >= 0x7f) {
      out->append("\\u00");
      out->push_back(kDigits[byte >> 4]);
      out->push_back(kDigits[byte & 15]);
    } else {
      out->push_back(c);
    }
  }
  out->push_back('"');
}

// A scalar as table text: texts with bytes outside printable ASCII written
// as \xHH.
std::string Scalar(const Node& node) {
  static const char kDigits[] = "0123456789ABCDEF";
  switch (node.kind()) {
    case Node::Kind::kNull:
      return "null";
    case Node::Kind::kBool:
      return node.AsInt() ? "true" : "false";
    case Node::Kind::kInt:
      return std::to_string(node.AsInt());
    case Node::Kind::kDouble:
      return FormatDouble(node.AsDouble());
    case Node::Kind::kText: {
      std::string text;
      for (const char c : node.AsText()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
          text.push_back(c);
        } else {
          text += "\\x";
          text.push_back(kDigits[byte >> 4]);
          text.push_back(kDigits[byte & 15]);
        }
      }
      return text;
    }
    default:
      return "";
  }
}

using Grid = std::vector<std::vector<std::string>>;

// Rows of cells, each column as wide as its widest cell, two spaces apart.
void WriteGrid(const Grid& grid, int indent, std::string* out) {
  std::vector<size_t> widths;
  for (const auto& row : grid) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  for (const auto& row : grid) {
    std::string line(static_cast<size_t>(indent), ' ');
    for (size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line.append(widths[c] - row[c].size() + 2, ' ');
    }
    out->append(line).push_back('\n');
  }
}

void Truncated(size_t shown, size_t total, int indent, std::string* out) {
  if (shown < total) {
    out->append(static_cast<size_t>(indent), ' ');
    const size_t more = total - shown;
    out->append("... " + std::to_string(more) + (more == 1 ? " more row\n" : " more rows\n"));
  }
}

size_t Shown(size_t total, int maxRows) {
  return maxRows < 0 ? total : std::min(total, static_cast<size_t>(maxRows));
}

// Series columns (fields "id" and "values" each) side by side: one header
// row of indicator names (ids where a column has no name), then one row per
// time point.
bool WriteColumns(const Node& list, int indent, int maxRows, std::string* out) {
  size_t rows = 0;
  for (const Node& column : list.Items()) {
    const Node* values = column.kind() == Node::Kind::kFields ? column.Find("values") : nullptr;
    if (column.Find("id") == nullptr || values == nullptr) return false;
    rows = std::max(rows, values->Items().size());
  }
  const size_t shown = Shown(rows, maxRows);
  std::vector<int> ids;
  for (const Node& column : list.Items())
    ids.push_back(static_cast<int>(column.Find("id")->AsInt()));
  Grid grid(shown + 1);
  for (size_t c = 0; c < list.Items().size(); ++c) {
    const Node& column = list.Items()[c];
    const auto& values = column.Find("values")->Items();
    grid[0].push_back(ColumnName(ids[c], ids));
    for (size_t r = 0; r < shown; ++r)
      grid[r + 1].push_back(r < values.size() ? Scalar(values[r]) : "");
  }
  WriteGrid(grid, indent, out);
  Truncated(shown, rows, indent, out);
  return true;
}

// A list of records whose fields are all scalars, under the same names, as
// a table with a header row.
bool WriteRecords(const Node& list, int indent, int maxRows, std::string* out) {
  const Node& first = list.Items().front();
  if (first.kind() != Node::Kind::kFields) return false;
  for (const Node& item : list.Items()) {
    if (item.kind() != Node::Kind::kFields || item.Names() != first.Names()) return false;
    for (const Node& value : item.Items()) {
      if (!value.IsScalar()) return false;
    }
  }
  const size_t shown = Shown(list.Items().size(), maxRows);
  Grid grid{first.Names()};
  for (size_t r = 0; r < shown; ++r) {
    std::vector<std::string> row;
    for (const Node& value : list.Items()[r].Items()) row.push_back(Scalar(value));
    grid.push_back(row);
  }
  WriteGrid(grid, indent, out);
  Truncated(shown, list.Items().size(), indent, out);
  return true;
}

// A scalar, or a list of scalars, as the text of one line.
bool OneLine(const Node& node, std::string* text) {
  if (node.IsScalar()) {
    *text = Scalar(node);
    return true;
  }
  if (node.kind() != Node::Kind::kList) return false;
  text->clear();
  for (const Node& item : node.Items()) {
    if (!item.IsScalar()) return false;
    *text += (text->empty() ? "" : " ") + Scalar(item);
  }
  if (node.Items().empty()) *text = "(none)";
  return true;
}

// A list that does not fit on one line.
void WriteList(const std::string& name, const Node& list, int indent, int maxRows,
               std::string* out) {
  const std::string pad(static_cast<size_t>(indent), ' ');
  out->append(pad + name + "\n");
  if (name == "columns" && WriteColumns(list, indent + 2, maxRows, out)) return;
  if (WriteRecords(list, indent + 2, maxRows, out)) return;
  for (size_t i = 0; i < list.Items().size(); ++i) {
    out->append(pad + "  #" + std::to_string(i + 1) + "\n");
    WriteTable(list.Items()[i], indent + 4, maxRows, out);
  }
}

}  // namespace

void WriteJson(const Node& node, std::string* out) {
  switch (node.kind()) {
    case Node::Kind::kNull:
    case Node::Kind::kBool:
    case Node::Kind::kInt:
    case Node::Kind::kDouble:
      out->append(Scalar(node));
      break;
    case Node::Kind::kText:
      JsonText(node.AsText(), out);
      break;
    case Node::Kind::kList:
    case Node::Kind::kFields: {
      const bool fields = node.kind() == Node::Kind::kFields;
      out->push_back(fields ? '{' : '[');
      for (size_t i = 0; i < node.Items().size(); ++i) {
        if (i) out->push_back(',');
        if (fields) {
          JsonText(node.Names()[i], out);
          out->push_back(':');
        }
        WriteJson(node.Items()[i], out);
      }
      out->push_back(fields ? '}' : ']');
      break;
    }
  }
}

void WriteTable(const Node& node, int indent, int maxRows, std::string* out) {
  const std::string pad(static_cast<size_t>(indent), ' ');
  std::string text;
  if (node.kind() != Node::Kind::kFields) {
    if (OneLine(node, &text)) {
      out->append(pad + text + "\n");
    } else {
      WriteList("items", node, indent, maxRows, out);
    }
    return;
  }
  size_t width = 0;
  for (size_t i = 0; i < node.Names().size(); ++i) {
    if (OneLine(node.Items()[i], &text)) width = std::max(width, node.Names()[i].size());
  }
  for (size_t i = 0; i < node.Names().size(); ++i) {
    const std::string& name = node.Names()[i];
    const Node& value = node.Items()[i];
    if (OneLine(value, &text)) {
      out->append(pad + name + std::string(width - name.size() + 2, ' ') + text + "\n");
    } else if (value.kind() == Node::Kind::kList) {
      WriteList(name, value, indent, maxRows, out);
    } else {
      out->append(pad + name + "\n");
      WriteTable(value, indent + 2, maxRows, out);
    }
  }
}

}  // namespace kdump
