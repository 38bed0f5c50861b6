#include "cli.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "mutation.h"
#include "password_writer.h"
#include "utf8.h"

namespace orvgen {

namespace {

constexpr std::string_view ProgramName = "orvgen-cli";

constexpr std::string_view HelpText =
    "Usage: orvgen-cli [OPTION]...\n"
    "       orvgen-cli mutate TEXT...\n"
    "\n"
    "Prints new memorable passwords. Three random English words, a noun, a verb and a\n"
    "noun, give a password of the first three letters of each, such as accASSthu, and\n"
    "the words themselves are its hint. Each password is printed on one line and its\n"
    "hint on the next, in UTF-8.\n"
    "\n"
    "Options:\n"
    "  -n, --count N  print N passwords, N from 1 to 100000000 (default 1)\n"
    "      --mutate   swap look-alike letters in each password for digits and signs:\n"
    "                 a->@ b->8 i->! o->0 s->$ l->1, in either case; the hint is kept\n"
    "      --json     print each password as one line of JSON:\n"
    "                 {\"password\": \"...\", \"hint\": \"...\"}\n"
    "      --seed S   draw the first password from the reseed value S (0 to 4294967295)\n"
    "                 and each further one from the next value. This only reproduces a\n"
    "                 case: the passwords it prints are predictable by anyone, so never\n"
    "                 use --seed for real passwords.\n"
    "      --help     print this help and exit\n"
    "      --version  print the version and exit\n"
    "  An option's value may also follow it after \"=\", as in --count=5.\n"
    "\n"
    "Commands:\n"
    "  mutate TEXT... print each TEXT mutated as above, one per line. Every argument\n"
    "                 after mutate is a TEXT, even one that looks like an option.\n"
    "\n"
    "Exit status: 0 on success, 1 if the output could not be written, 2 on bad input.\n";

constexpr std::string_view VersionText =
    "orvgen-cli (" ORVGEN_PRODUCT_NAME ") " ORVGEN_VERSION ", build " ORVGEN_BUILD "\n";

struct Invocation {
  enum class Action { Generate, Mutate, Help, Version };
  Action action = Action::Generate;
  PasswordRequest request;
  std::vector<std::u16string> texts;  // for mutate
};

struct Parsed {
  Invocation invocation;
  std::string error;  // empty when the arguments are good
};

// An argument as it may appear inside an error line: quoted, with anything that is not
// printable ASCII shown as \xNN so the message stays one line whatever the input held.
std::string Quote(std::string_view text) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  constexpr std::size_t Longest = 64;
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size() && i < Longest; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      quoted.push_back('\\');
      quoted.push_back(text[i]);
    } else if (byte >= 0x20 && byte < 0x7F) {
      quoted.push_back(text[i]);
    } else {
      quoted.append("\\x");
      quoted.push_back(Hex[byte >> 4]);
      quoted.push_back(Hex[byte & 0xF]);
    }
  }
  if (text.size() > Longest) quoted.append("...");
  quoted.push_back('"');
  return quoted;
}

// Plain decimal digits only: no sign, blank, prefix or exponent, and nothing above `max`.
std::optional<std::uint64_t> ParseWholeNumber(std::string_view text, std::uint64_t max) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

struct NumberOption {
  std::string_view name;  // the long name, used in messages
  std::uint64_t min;
  std::uint64_t max;
};

constexpr NumberOption CountOption{"--count", 1, MaxCount};
constexpr NumberOption SeedOption{"--seed", 0, std::numeric_limits<std::uint32_t>::max()};

std::string NumberError(const NumberOption& option, std::string_view spelled, std::optional<std::string_view> value) {
  std::string message = std::string(spelled) + " needs a whole number from " + std::to_string(option.min) + " to " +
                        std::to_string(option.max) + ", got ";
  message += value ? Quote(*value) : std::string("nothing");
  return message;
}

Parsed ParseMutateCommand(std::span<const std::string_view> texts) {
  Parsed parsed;
  parsed.invocation.action = Invocation::Action::Mutate;
  if (texts.empty()) {
    parsed.error = "mutate needs at least one TEXT";
    return parsed;
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::u16string& text = parsed.invocation.texts.emplace_back();
    if (const auto fault = AppendUtf8AsUtf16(texts[i], text)) {
      parsed.error = "mutate: TEXT " + std::to_string(i + 1) + " is not valid UTF-8: " + std::string(fault->reason) +
                     " at byte " + std::to_string(fault->offset + 1);
      return parsed;
    }
  }
  return parsed;
}

Parsed ParseArguments(std::span<const std::string_view> args) {
  if (!args.empty() && args[0] == "mutate") return ParseMutateCommand(args.subspan(1));

  Parsed parsed;
  PasswordRequest& request = parsed.invocation.request;
  bool seenCount = false;
  bool seenSeed = false;
  bool seenMutate = false;
  bool seenJson = false;

  const auto once = [&parsed](bool& seen, std::string_view name) {
    if (seen) parsed.error = std::string(name) + " given twice";
    seen = true;
    return parsed.error.empty();
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];

    // --name=value is accepted for the options that take a value.
    std::string_view name = arg;
    std::optional<std::string_view> inlineValue;
    if (arg.starts_with("--")) {
      if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
        name = arg.substr(0, equals);
        inlineValue = arg.substr(equals + 1);
      }
    }

    const bool isCount = name == "-n" || name == "--count";
    if (isCount || name == "--seed") {
      const NumberOption& option = isCount ? CountOption : SeedOption;
      if (!once(isCount ? seenCount : seenSeed, isCount ? "--count (-n)" : "--seed")) return parsed;
      std::optional<std::string_view> value = inlineValue;
      if (!value && i + 1 < args.size()) value = args[++i];
      const auto number = value ? ParseWholeNumber(*value, option.max) : std::nullopt;
      if (!number || *number < option.min) {
        parsed.error = NumberError(option, name, value);
        return parsed;
      }
      if (isCount) {
        request.count = static_cast<std::uint32_t>(*number);
      } else {
        request.seed = static_cast<std::uint32_t>(*number);
      }
      continue;
    }
    if (inlineValue) {
      if (name == "--mutate" || name == "--json" || name == "--help" || name == "--version") {
        parsed.error = std::string(name) + " takes no value, got " + Quote(arg);
      } else {
        parsed.error = "unknown option " + Quote(arg) + "; try --help";
      }
      return parsed;
    }
    if (arg == "--help") {
      parsed.invocation.action = Invocation::Action::Help;
      return parsed;
    }
    if (arg == "--version") {
      parsed.invocation.action = Invocation::Action::Version;
      return parsed;
    }
    if (arg == "--mutate") {
      if (!once(seenMutate, arg)) return parsed;
      request.mutate = true;
      continue;
    }
    if (arg == "--json") {
      if (!once(seenJson, arg)) return parsed;
      request.json = true;
      continue;
    }
    if (arg.starts_with("-") && arg.size() > 1) {
      parsed.error = "unknown option " + Quote(arg) + "; try --help";
    } else if (arg == "mutate") {
      parsed.error = "the mutate command must come first, before any option";
    } else {
      parsed.error = "unexpected argument " + Quote(arg) + "; try --help";
    }
    return parsed;
  }
  return parsed;
}

bool WriteMutated(const std::vector<std::u16string>& texts, OutputSink& out) {
  BlockOutput block(out);
  std::string line;
  for (const std::u16string& text : texts) {
    line.clear();
    AppendUtf16AsUtf8(MutatePassword(text), line);
    line.push_back('\n');
    if (!block.Append(line)) return false;
  }
  return block.Finish();
}

bool WriteText(std::string_view text, OutputSink& out) { return out.Write(text) && out.Flush(); }

void Report(OutputSink& err, std::string_view message) {
  std::string line(ProgramName);
  line.append(": ").append(message).push_back('\n');
  // A failing error stream leaves nothing else to tell; the exit status still does.
  if (err.Write(line)) err.Flush();
}

}  // namespace

int RunCli(std::span<const std::string_view> args, OutputSink& out, OutputSink& err) {
  const Parsed parsed = ParseArguments(args);
  if (!parsed.error.empty()) {
    Report(err, parsed.error);
    return ExitBadInput;
  }

  const Invocation& invocation = parsed.invocation;
  bool written = false;
  switch (invocation.action) {
    case Invocation::Action::Help:
      written = WriteText(HelpText, out);
      break;
    case Invocation::Action::Version:
      written = WriteText(VersionText, out);
      break;
    case Invocation::Action::Mutate:
      written = WriteMutated(invocation.texts, out);
      break;
    case Invocation::Action::Generate:
      written = WritePasswords(invocation.request, out);
      break;
  }
  if (!written) {
    Report(err, "cannot write the output: " + out.FailureReason());
    return ExitOutputFailed;
  }
  return ExitSuccess;
}

}  // namespace orvgen
