#include "krellers/context_engine.h"

#include "platform/ContentFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Empties the text on every way out of a test, errors included.
class TTextClearer {
public:
    explicit TTextClearer(TContextText& text) : text_(text) {}
    ~TTextClearer() { text_.Clear(); }
    TTextClearer(const TTextClearer&) = delete;
    TTextClearer& operator=(const TTextClearer&) = delete;

private:
    TContextText& text_;
};

// Thrown through the evaluator when the user gives the file up while its text is upper-cased.
struct TGivenUp {};

} // namespace

bool ContextValuePasses(const ExprValue& value)
{
    switch (value.type) {
    case vtBoolean:
        return value.boolean;
    case vtInteger:
        return value.integer != 0;
    case vtFloat:
        return value.real != 0.0 && !std::isnan(value.real);
    case vtNull:
    case vtString:
        break;
    }
    return false;
}

TContextEngine::TContextEngine(TContextWatch watch) : watch_(std::move(watch))
{
    functions_.Register("EXISTS", [this](int count, ExprValue* arguments, ExprValue& result) {
        return text_.Exists(count, arguments, result);
    });
    text_.SetUpperCaser([this] {
        if (!UpperCaseAll())
            throw TGivenUp();
    });
}

bool TContextEngine::TestFile(const std::string& path, std::string_view expression, const TCartridgeText& cartridgeText,
                              bool listedRegular)
{
    const TTextClearer clearer(text_);
    lastTextLimit_ = TTextLimit::None;
    lastIdentity_.reset();
    if (watch_.CurrentFileAbandoned())
        return false;
    try {
        return TestText(path, expression, cartridgeText, listedRegular);
    } catch (const TGivenUp&) {
        return false;  // while the text was upper-cased for a search
    }
}

bool TContextEngine::TestText(const std::string& path, std::string_view expression, const TCartridgeText& cartridgeText,
                              bool listedRegular)
{
    std::optional<TCartridgeContext> context = cartridgeText ? cartridgeText(path) : std::nullopt;
    if (!context) {
        platform::TContentFile file(path, 0, listedRegular);
        return TestContent(file, expression);
    }
    lastTextLimit_ = context->Limit;
    if (!context->File.empty()) {
        platform::TContentFile file(context->File, context->Offset);
        return TestContent(file, expression);
    }
    text_.Adopt(std::move(context->Text));
    return !watch_.CurrentFileAbandoned() && Judge(expression);
}

bool TContextEngine::TestContent(platform::TContentFile& file, std::string_view expression)
{
    lastIdentity_ = file.Identity();
    if (file.Kind() == platform::TContentFile::TKind::Unopenable)
        return false;
    const std::optional<TContextPlan>& plan = PlanOf(expression);
    if (!plan)
        return ReadFile(file) && !watch_.CurrentFileAbandoned() && Judge(expression);
    return PlannedVerdict(file, *plan).value_or(false);
}

// The first keyword alone, then, when its answer leaves the verdict open, the file again from its
// start for the others: on most files the first keyword decides (found, or not there at all), so
// a file is read once, a piece at a time, each piece searched while it is still in the
// processor's cache.
std::optional<bool> TContextEngine::PlannedVerdict(platform::TContentFile& file, const TContextPlan& plan)
{
    const std::uint32_t all = (std::uint32_t{1} << plan.Keywords().size()) - 1;
    TKeywordAnswers answers;
    TPieceSearch search = PieceByPieceVerdict(file, plan, all & 1, answers);
    if (!search.GivenUp && !search.Verdict) {
        if (!file.Rewind())
            return false;
        search = PieceByPieceVerdict(file, plan, all & ~answers.Known, answers);
    }
    if (search.GivenUp)
        return std::nullopt;
    return search.Verdict;
}

// Keyword by keyword through the plan while the answers decide it, else by evaluating it.
bool TContextEngine::Judge(std::string_view expression)
{
    const std::optional<TContextPlan>& plan = PlanOf(expression);
    if (!plan)
        return ContextValuePasses(parser_.Evaluate(expression));
    std::uint32_t known = 0, present = 0;
    for (std::size_t i = 0;; ++i) {
        if (const std::optional<bool> verdict = plan->Verdict(known, present))
            return *verdict;
        const std::uint32_t bit = std::uint32_t{1} << i;
        known |= bit;
        if (text_.Contains(plan->Keywords()[i]))
            present |= bit;
    }
}

// A search tests every file against the same condition: it is planned once.
const std::optional<TContextPlan>& TContextEngine::PlanOf(std::string_view expression)
{
    if (plannedExpression_ != expression) {
        plan_ = TContextPlan::Make(expression, ContextValuePasses);
        plannedExpression_ = expression;
    }
    return plan_;
}

// Reads in large steps into one buffer sized from the file. A file that shrinks meanwhile gives
// what was there; growth is not read.
bool TContextEngine::ReadFile(platform::TContentFile& file)
{
    const auto size = static_cast<std::size_t>(file.SizeWhenOpened());
    const std::optional<std::size_t> read = ReadSteps(file, text_.Reserve(size), size);
    if (!read)
        return false;
    text_.SetLength(*read);
    return true;
}

std::optional<std::size_t> TContextEngine::ReadSteps(platform::TContentFile& file, char* buffer, std::size_t length)
{
    std::size_t read = 0;
    while (read < length) {
        if (GivenUp())
            return std::nullopt;
        const std::size_t got = file.Read(buffer + read, std::min(StepBytes, length - read));
        if (got == 0)
            break;
        read += got;
    }
    return read;
}

namespace {

constexpr std::size_t kLongestCharacter = 4;  // bytes of UTF-8

// Where the text's last character starts when the text ends before that character does; else the
// end. A piece's upper-casing stops there, so each character is upper-cased whole, as in the
// whole text.
std::size_t EndOfWholeCharacters(const char* text, std::size_t end)
{
    for (std::size_t back = 1; back < kLongestCharacter && back <= end; ++back) {
        const auto byte = static_cast<unsigned char>(text[end - back]);
        if (byte < 0x80)
            return end;
        if (byte >= 0xC0) {
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            return back < length ? end - back : end;
        }
    }
    return end;
}

} // namespace

// Searches the keywords of searched, one piece of the file after the other from where reading
// stands. Each piece starts with the end of the one before, as long as the longest keyword but one
// byte, so that an occurrence across two pieces is found; a keyword once found is searched no more.
// Ends as soon as the answers known decide the verdict, once every keyword searched is found, or
// at the end of the file, where every keyword searched and not found is known to be absent.
TContextEngine::TPieceSearch TContextEngine::PieceByPieceVerdict(platform::TContentFile& file, const TContextPlan& plan,
                                                                 std::uint32_t searched, TKeywordAnswers& answers)
{
    const std::vector<std::string>& keywords = plan.Keywords();
    std::size_t overlap = 0;
    for (std::size_t i = 0; i < keywords.size(); ++i)
        if (searched & (std::uint32_t{1} << i))
            overlap = std::max(overlap, keywords[i].empty() ? 0 : keywords[i].size() - 1);
    const std::size_t piece = std::max(PieceBytes, overlap + kLongestCharacter);
    char* buffer = text_.Reserve(overlap + kLongestCharacter + piece);
    std::uint64_t left = file.SizeWhenOpened();
    std::size_t kept = 0;     // bytes carried over to the front of the buffer
    std::size_t rawFrom = 0;  // where the bytes not yet upper-cased begin
    for (;;) {
        if (const std::optional<bool> verdict = plan.Verdict(answers.Known, answers.Present))
            return {false, verdict};
        if ((searched & ~answers.Known) == 0)
            return {};
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(piece, left));
        const std::optional<std::size_t> got = ReadSteps(file, buffer + kept, wanted);
        if (!got)
            return {true, std::nullopt};
        left -= *got;
        const bool atEnd = *got < wanted || left == 0;
        const std::size_t end = kept + *got;
        const std::size_t ready = atEnd ? end : EndOfWholeCharacters(buffer, end);
        const std::string_view text(buffer, ready);
        for (std::size_t i = 0; i < keywords.size(); ++i) {
            const std::uint32_t bit = std::uint32_t{1} << i;
            if (!(searched & bit) || (answers.Known & bit))
                continue;
            const std::optional<bool> found = PieceContains(buffer, text, rawFrom, keywords[i]);
            if (!found)
                return {true, std::nullopt};
            if (*found) {
                answers.Known |= bit;
                answers.Present |= bit;
            }
        }
        if (atEnd) {
            answers.Known |= searched;
            return {false, plan.Verdict(answers.Known, answers.Present)};
        }
        const std::size_t from = ready - std::min(overlap, ready);
        std::memmove(buffer, buffer + from, end - from);
        kept = end - from;
        rawFrom = rawFrom > from ? rawFrom - from : 0;
    }
}

// Whether the piece text (which starts at buffer) holds keyword. As in a whole text, ASCII
// keywords are first looked for case-blind in the bytes as read, and the piece is upper-cased
// only when that cannot tell; rawFrom is where its bytes not yet upper-cased begin (those carried
// over from the piece before may be). Nothing when the search was given up.
std::optional<bool> TContextEngine::PieceContains(char* buffer, std::string_view text, std::size_t& rawFrom,
                                                  const std::string& keyword)
{
    if (rawFrom >= text.size())
        return ContainsBytes(text, keyword);
    // Case-blind for ASCII, the search is as good over bytes upper-cased already as over raw ones.
    if (const std::optional<bool> found = ContainsInUpperCased(text, keyword))
        return found;
    if (!UpperCaseSteps(buffer, rawFrom, text.size()))
        return std::nullopt;
    rawFrom = text.size();
    return ContainsBytes(text, keyword);
}

bool TContextEngine::UpperCaseAll()
{
    return UpperCaseSteps(text_.Data(), 0, text_.RawView().size());
}

// Upper-cases text[from, until), which holds whole characters only.
bool TContextEngine::UpperCaseSteps(char* text, std::size_t from, std::size_t until)
{
    for (std::size_t at = from; at < until;) {
        if (GivenUp())
            return false;
        at = UpperCaseLocaleRange(text, until, at, std::min(until, at + StepBytes));
    }
    return true;
}

bool TContextEngine::GivenUp()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - lastEvents_ >= EventInterval) {
        lastEvents_ = now;
        watch_.ProcessEvents();
    }
    return watch_.CurrentFileAbandoned();
}
