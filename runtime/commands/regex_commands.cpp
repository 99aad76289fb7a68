// The regular-expression library: the `regex` object and its four commands on
// Boost.Regex over 8-bit characters with the Windows character traits.
// No exception leaves a command.
#include <windows.h>
#include <boost/regex.hpp>
#include <boost/regex/v5/w32_regex_traits.hpp>
#include <cstring>
#include <new>
#include "runtime/commands/command_support.h"
#include "runtime/commands/commands.h"

using namespace imprinta;
using namespace imprinta::cmd;

namespace {

using Expression = boost::basic_regex<char, boost::w32_regex_traits<char>>;

// The compiled-expression holder: one expression object, itself a shared
// handle to the compiled expression. Empty until a pattern compiles.
struct Holder {
    Expression expression;
};
static_assert(sizeof(Holder) == 8, "the holder is an 8-byte object");

static_assert(boost::regex_constants::match_any == 0x400, "match flag values");
static_assert(boost::regex_constants::format_all == 0x2000000, "match flag values");
static_assert(boost::regex_constants::match_single_line == 0x100000, "match flag values");
static_assert(boost::regex_constants::icase == (1 << 20), "syntax flag values");

// The object's 8-byte storage: word 0 the holder, word 1 the line mode.
uint32_t* Storage(const ArgValue& object) { return Ptr<uint32_t>(object.low); }
Holder* HolderOf(const uint32_t* storage) { return storage ? Ptr<Holder>(storage[0]) : nullptr; }

// ---- 2 RegexInit(object) ----
void IMPRINTA_CDECL RegexInit(ArgValue*, int, ArgValue* args) {
    uint32_t* storage = Storage(args[0]);
    if (!storage) return;
    Holder* holder = nullptr;
    try {
        holder = new (std::nothrow) Holder();
    } catch (...) {
        holder = nullptr;
    }
    storage[0] = Word(holder);
    storage[1] = 1;
}

// ---- 3 RegexFree(object) ----
void IMPRINTA_CDECL RegexFree(ArgValue*, int, ArgValue* args) {
    uint32_t* storage = Storage(args[0]);
    Holder* holder = HolderOf(storage);
    if (!holder) return;
    delete holder;
    // Cleared so that a repeated free or a later match finds no holder instead
    // of a released one.
    storage[0] = 0;
}

// ---- 0 RegexCreate(object, pattern, optional case-sensitive) ----
void IMPRINTA_CDECL RegexCreate(ArgValue* r, int count, ArgValue* args) {
    Holder* holder = HolderOf(Storage(args[0]));
    if (!holder) return;
    bool caseSensitive = Given(count, args, 2) ? args[2].low != 0 : true;
    const char* pattern = TextArg(args[1]);
    try {
        Expression compiled(pattern, pattern + strlen(pattern),
                            caseSensitive ? boost::regex_constants::normal : boost::regex_constants::icase);
        holder->expression.swap(compiled);
        r->low = 1;
    } catch (...) {
        // regex_error for a bad pattern, or anything else: the old expression stays.
    }
}

// ---- 1 RegexMatch(object, text) ----
void IMPRINTA_CDECL RegexMatch(ArgValue* r, int, ArgValue* args) {
    const uint32_t* storage = Storage(args[0]);
    Holder* holder = HolderOf(storage);
    // An expression never compiled answers false. It is tested here rather than
    // left to the matcher, whose constructor reads the empty expression's traits
    // before its own check could throw.
    if (!holder || holder->expression.empty()) return;
    const char* text = TextArg(args[1]);
    try {
        boost::match_results<const char*> results;
        auto flags = boost::regex_constants::match_any | boost::regex_constants::format_all;
        if (storage[1] == 0) flags |= boost::regex_constants::match_single_line;
        r->low = boost::regex_match(text, text + strlen(text), results, holder->expression, flags) ? 1 : 0;
    } catch (...) {
        // The engine's limits on memory and complexity, or anything else.
        r->low = 0;
    }
}

}  // namespace

extern "C" const CommandEntry RegexCommands[kRegexCommandCount] = {
    /* 0 */ RegexCreate,
    /* 1 */ RegexMatch,
    /* 2 */ RegexInit,
    /* 3 */ RegexFree,
};

extern "C" const TypeDescriptor RegexLibraryTypes[kRegexLibraryTypeCount] = {
    {"正则表达式", "regex", "", 0, nullptr, 0xE0000000, 0, 0, nullptr, 0, nullptr, nullptr, 0, nullptr},
    {},
};
