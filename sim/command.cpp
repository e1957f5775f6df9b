#include "command.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "body.h"

namespace fieldsim {
namespace {

// One S-expression: an atom, or a list of expressions.
struct Node {
  std::string atom;
  std::vector<Node> items;
  bool is_list = false;
};

// No command nests deeper than init's (init (unum 2)); a little room more.
constexpr int kMaxDepth = 4;
constexpr std::size_t kMaxTeamName = 32;

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  // All top-level expressions, or an error.
  std::optional<std::vector<Node>> readAll(std::string& error) {
    std::vector<Node> nodes;
    while (skipBlanks()) {
      if (text_[pos_] != '(') return fail(error, "expected '('");
      Node node;
      if (!readList(node, 1, error)) return std::nullopt;
      nodes.push_back(std::move(node));
    }
    return nodes;
  }

 private:
  std::optional<std::vector<Node>> fail(std::string& error, const char* what) {
    error = what;
    return std::nullopt;
  }

  bool skipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    return pos_ < text_.size();
  }

  // Reads "( ... )" starting on the opening parenthesis.
  bool readList(Node& node, int depth, std::string& error) {
    if (depth > kMaxDepth) {
      error = "expressions nested too deep";
      return false;
    }
    node.is_list = true;
    ++pos_;
    while (skipBlanks()) {
      const char c = text_[pos_];
      if (c == ')') {
        ++pos_;
        return true;
      }
      Node item;
      if (c == '(') {
        if (!readList(item, depth + 1, error)) return false;
      } else {
        readAtom(item);
      }
      node.items.push_back(std::move(item));
    }
    error = "unbalanced parentheses";
    return false;
  }

  void readAtom(Node& node) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '(' && text_[pos_] != ')' &&
           !std::isspace(static_cast<unsigned char>(text_[pos_]))) {
      ++pos_;
    }
    node.atom = std::string(text_.substr(start, pos_ - start));
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

std::optional<double> number(const Node& node) {
  if (node.is_list || node.atom.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(node.atom.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> integer(const Node& node) {
  const auto value = number(node);
  if (!value || *value != std::floor(*value) || std::fabs(*value) > 1e6) return std::nullopt;
  return static_cast<int>(*value);
}

bool validTeamName(const std::string& name) {
  if (name.empty() || name.size() > kMaxTeamName) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
  }
  return true;
}

// The head atom of a list, or "" when it has none.
const std::string& head(const Node& node) {
  static const std::string kNone;
  return node.items.empty() || node.items[0].is_list ? kNone : node.items[0].atom;
}

bool readScene(const Node& node, AgentCommand& command) {
  if (node.items.size() != 2 || node.items[1].is_list) return false;
  command.kind = AgentCommand::Kind::kScene;
  command.text = node.items[1].atom;
  return true;
}

// (init (unum N)(teamname T)), the two parts in either order.
bool readInit(const Node& node, AgentCommand& command) {
  bool has_number = false;
  bool has_team = false;
  for (std::size_t i = 1; i < node.items.size(); ++i) {
    const Node& part = node.items[i];
    if (!part.is_list || part.items.size() != 2) return false;
    if (head(part) == "unum") {
      const auto value = integer(part.items[1]);
      if (!value) return false;
      command.number = *value;
      has_number = true;
    } else if (head(part) == "teamname" && !part.items[1].is_list) {
      command.text = part.items[1].atom;
      has_team = validTeamName(command.text);
    } else {
      return false;
    }
  }
  command.kind = AgentCommand::Kind::kInit;
  return has_number && has_team;
}

bool readNumbers(const Node& node, std::size_t count, AgentCommand& command) {
  if (node.items.size() != count + 1) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const auto value = number(node.items[i + 1]);
    if (!value) return false;
    command.values[i] = *value;
  }
  return true;
}

bool readCommand(const Node& node, AgentCommand& command) {
  const std::string& name = head(node);
  if (name == "scene") return readScene(node, command);
  if (name == "init") return readInit(node, command);
  if (name == "beam") {
    command.kind = AgentCommand::Kind::kBeam;
    return readNumbers(node, 3, command);
  }
  const int joint = jointByEffector(name);
  if (joint < 0) return false;
  command.kind = AgentCommand::Kind::kJointSpeed;
  command.number = joint;
  return readNumbers(node, 1, command);
}

}  // namespace

ParsedMessage parseAgentMessage(std::string_view text) {
  ParsedMessage parsed;
  auto nodes = Reader(text).readAll(parsed.error);
  if (!nodes) return parsed;
  for (const Node& node : *nodes) {
    AgentCommand command{};
    if (!readCommand(node, command)) {
      const std::string& name = head(node);
      parsed.error = "malformed command '" + (name.empty() ? std::string("(") : name) + "'";
      parsed.commands.clear();
      return parsed;
    }
    parsed.commands.push_back(std::move(command));
  }
  return parsed;
}

}  // namespace fieldsim
