#pragma once
#include "conditions/ParsFunc.h"
#include "conditions/Parser.h"
#include "krellers/context_plan.h"
#include "krellers/context_text.h"
#include "platform/ContentFile.h"
#include "plugins/text_limit.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What the engine asks of the search while it works through a file: letting pending window
// events run (the user's chance to give the file up or stop the search), and whether the user did.
struct TContextWatch {
    std::function<void()> ProcessEvents;
    std::function<bool()> CurrentFileAbandoned;
};

// What a context cartridge gives for a file: its text in memory, or the file the text lies in (from
// an offset to the file's end, searched as a file of that size would be); and whether a limit
// stopped the making of the text early.
struct TCartridgeContext {
    TCartridgeContext(std::string text = {}) : Text(std::move(text)) {}

    std::string Text;
    std::string File;
    std::uint64_t Offset = 0;
    TTextLimit Limit = TTextLimit::None;
};

// The text a context cartridge makes of the file at a path, or nothing when no cartridge takes it.
using TCartridgeText = std::function<std::optional<TCartridgeContext>(const std::string& path)>;

// Whether a condition's value passes the file: boolean true does, false and null do not. A body
// edited by hand may give another type: a number passes when it is not zero (NaN fails), a string
// never does, so "1.0" and "256" mean what they say.
bool ContextValuePasses(const ExprValue& value);

// Tests files by their text: reads the file (or takes a cartridge's text) and evaluates a
// condition whose EXISTS calls search that text as upper-cased by the locale rule (upper-cased
// when a search needs it). The engine's own function registry holds the built-ins and, added
// after them, an EXISTS bound to this engine's text, so nothing global names the file under test.
// The text of one file at a time.
class TContextEngine {
public:
    explicit TContextEngine(TContextWatch watch);
    TContextEngine(const TContextEngine&) = delete;
    TContextEngine& operator=(const TContextEngine&) = delete;

    const TContextText& Text() const { return text_; }
    TExprParser& Parser() { return parser_; }
    // The functions the engine's conditions may call; a caller may add its own.
    TFunctionRegistry& Functions() { return functions_; }

    // Whether the file at path meets expression. Fails without evaluating when the file cannot be
    // opened or the user gives it up meanwhile. A FIFO, socket or device is never opened: its text
    // is empty. Errors of the cartridge or the evaluator pass through; the text is emptied on every
    // way out. listedRegular: a listing just found a regular file at path (see TContentFile).
    bool TestFile(const std::string& path, std::string_view expression, const TCartridgeText& cartridgeText,
                  bool listedRegular = false);
    // Whether the last file's text was searched whole: a cartridge's may have been cut short.
    TTextLimit LastTextLimit() const { return lastTextLimit_; }
    // The identity of the file the last test read, as it was opened; nothing when none was.
    const std::optional<platform::TContentIdentity>& LastFileIdentity() const { return lastIdentity_; }

    // Events run at most and at least about this often while a file is handled.
    std::chrono::steady_clock::duration EventInterval = std::chrono::milliseconds(15);
    // Bytes read or upper-cased between two looks at the clock and the abandonment flag.
    std::size_t StepBytes = std::size_t{256} << 10;
    // A file whose condition depends on nothing but its keywords is searched a piece of this size
    // at a time, so that a file of any size (a disc image, a film) costs no more memory than a
    // piece, and each piece is searched while it is still in the processor's cache; the answer is
    // the same as for the whole text.
    std::size_t PieceBytes = std::size_t{256} << 10;

private:
    // Whether the file meets expression, once the text of a cartridge or the file is at hand.
    bool TestText(const std::string& path, std::string_view expression, const TCartridgeText& cartridgeText,
                  bool listedRegular);
    // Whether the content of file meets expression.
    bool TestContent(platform::TContentFile& file, std::string_view expression);
    bool ReadFile(platform::TContentFile& file);
    // Reads up to length bytes into buffer in steps between which events run; fewer at the end of
    // the file; nothing when the user gives the file up.
    std::optional<std::size_t> ReadSteps(platform::TContentFile& file, char* buffer, std::size_t length);
    // The keywords searched so far, by their bits in the plan: known, and of them those present.
    struct TKeywordAnswers {
        std::uint32_t Known = 0;
        std::uint32_t Present = 0;
    };
    // The verdict of the plan on the file searched a piece at a time; nothing when given up.
    std::optional<bool> PlannedVerdict(platform::TContentFile& file, const TContextPlan& plan);
    // How a search of the file a piece at a time ended: given up by the user, or with the verdict,
    // which the answers may yet leave open.
    struct TPieceSearch {
        bool GivenUp = false;
        std::optional<bool> Verdict;
    };
    TPieceSearch PieceByPieceVerdict(platform::TContentFile& file, const TContextPlan& plan, std::uint32_t searched,
                                     TKeywordAnswers& answers);
    bool UpperCaseAll();
    bool UpperCaseSteps(char* text, std::size_t from, std::size_t until);
    std::optional<bool> PieceContains(char* buffer, std::string_view text, std::size_t& rawFrom, const std::string& keyword);
    // Whether the loaded text passes expression: keyword by keyword through the condition's plan
    // while its keywords decide it, else by evaluating it.
    bool Judge(std::string_view expression);
    const std::optional<TContextPlan>& PlanOf(std::string_view expression);
    // Lets events run when they are due, then says whether the file was given up.
    bool GivenUp();

    TContextWatch watch_;
    TContextText text_;
    TFunctionRegistry functions_;
    TExprParser parser_{functions_};
    std::optional<std::string> plannedExpression_;  // the condition plan_ belongs to, once there is one
    std::optional<TContextPlan> plan_;
    TTextLimit lastTextLimit_ = TTextLimit::None;
    std::optional<platform::TContentIdentity> lastIdentity_;
    std::chrono::steady_clock::time_point lastEvents_ = std::chrono::steady_clock::now();
};
