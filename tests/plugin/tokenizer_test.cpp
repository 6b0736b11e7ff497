#include <string>
#include <vector>

#include "command/arguments.h"
#include "world.h"

namespace {

using CommandTokenizer = World;

using Words = std::vector<std::u16string>;

// The words of the last call, as the command reads them.
Words StoredWords() {
    Words words;
    for (int n = 0; n < ArgumentList.count; ++n) {
        words.emplace_back(ArgumentList.words[n], static_cast<size_t>(ArgumentList.lengths[n]));
    }
    return words;
}

// True when every entry past the last word is empty, as a fresh scan leaves it.
bool TailIsEmpty() {
    for (int n = ArgumentList.count; n < kMaxArgs; ++n) {
        if (ArgumentList.words[n] != nullptr || ArgumentList.lengths[n] != 0) return false;
    }
    return true;
}

std::u16string OverflowLine(int position) {
    return u"Torvane plugin: Buffer overflow: b = " + FromUtf8(std::to_string(position)) +
           u", MAX_ARG_LEN = 8192 \r\n";
}

struct TokenCase {
    std::u16string text;
    Words words;
};

TEST_F(CommandTokenizer, TokenizerSplitsQuotesAndUpperCases) {
    const TokenCase cases[] = {
        // Blanks
        {u"", {}},
        {u"  \t  \t", {}},
        {u"  /a:y   f3 ", {u"/A:Y", u"F3"}},
        {u"a\tb", {u"A", u"B"}},
        {u"a\u00A0b", {u"A", u"B"}},
        {u"a\r\nb\vc\fd", {u"A", u"B", u"C", u"D"}},
        {u"a\u3000b\u2003c", {u"A", u"B", u"C"}},
        {u"a\u00A1b", {u"A\u00A1B"}},
        {u"a\u0008b\u000Ec", {u"A\u0008B\u000EC"}}, // the controls either side of the blanks
        // No separators but blanks
        {u"/A/B", {u"/A/B"}},
        {u"a,b", {u"A,B"}},
        {u"x=y", {u"X=Y"}},
        {u"/s!", {u"/S!"}},
        {u"ctrl-alt-f3 /o:n", {u"CTRL-ALT-F3", u"/O:N"}},
        // Upper-casing only a to z
        {u"az`{@[", {u"AZ`{@["}},
        {u"\u00E9t\u00E9", {u"\u00E9T\u00E9"}},
        {u"\u00E9\u00FF\u0101", {u"\u00E9\u00FF\u0101"}},
        // Quotes
        {u"ab\"c d\"e", {u"ABC DE"}},
        {u"\"\"", {}},
        {u"\"\" \"\"", {}},
        {u"\" \"", {u""}},
        {u"\" x \"", {u" X"}},
        {u"\"x  \t\"", {u"X"}},
        {u"\"x \"y", {u"X Y"}},
        {u"\"a b", {u"A B"}},
        {u"\"a\"\"b\"", {u"AB"}},
        {u"\"/s\"", {u"/S"}},
        {u"a \" \" b", {u"A", u"", u"B"}},
        {u"a\" \"", {u"A"}},
        {u"\"", {}},
        {u"\"   ", {u""}},
    };
    for (const auto& c : cases) {
        HostClearOutput();
        int32_t result = TokenizeArguments(c.text.c_str());
        EXPECT_EQ(result, static_cast<int32_t>(c.words.size())) << "text: " << ToUtf8(c.text);
        EXPECT_EQ(ArgumentList.count, result) << "text: " << ToUtf8(c.text);
        EXPECT_EQ(StoredWords(), c.words) << "text: " << ToUtf8(c.text);
        for (int n = 0; n < ArgumentList.count; ++n) {
            EXPECT_EQ(ArgumentList.words[n][ArgumentList.lengths[n]], 0)
                << "text: " << ToUtf8(c.text);
        }
        EXPECT_TRUE(TailIsEmpty()) << "text: " << ToUtf8(c.text);
        EXPECT_EQ(HostStderr(), u"") << "text: " << ToUtf8(c.text);
    }
}

TEST_F(CommandTokenizer, TokenizerStoresWordsOneAfterAnotherInThePool) {
    ASSERT_EQ(TokenizeArguments(u"ab \"c  \" d"), 3);
    EXPECT_EQ(ArgumentList.words[0], ArgumentList.pool);
    EXPECT_EQ(ArgumentList.words[1], ArgumentList.pool + 3);
    // The trimmed blanks of the second word keep their places, now zeros.
    EXPECT_EQ(ArgumentList.words[2], ArgumentList.pool + 7);
    const char16_t expected[] = {u'A', u'B', 0, u'C', 0, 0, 0, u'D', 0};
    EXPECT_EQ(std::u16string(ArgumentList.pool, 9), std::u16string(expected, 9));
}

TEST_F(CommandTokenizer, TokenizerForgetsTheWordsOfTheCallBefore) {
    ASSERT_EQ(TokenizeArguments(u"one two three"), 3);
    ASSERT_EQ(TokenizeArguments(u"four"), 1);
    EXPECT_EQ(StoredWords(), Words{u"FOUR"});
    EXPECT_TRUE(TailIsEmpty());
    // A text without words leaves an empty pool, not the first word of the call before.
    ASSERT_EQ(TokenizeArguments(u" \"\" "), 0);
    EXPECT_EQ(ArgumentList.pool[0], 0);
    EXPECT_TRUE(TailIsEmpty());
}

TEST_F(CommandTokenizer, TokenizerLeavesTheListAloneForNullText) {
    ASSERT_EQ(TokenizeArguments(u"/a:y f3"), 2);
    EXPECT_EQ(TokenizeArguments(nullptr), -1);
    EXPECT_EQ(ArgumentList.count, 2);
    EXPECT_EQ(StoredWords(), (Words{u"/A:Y", u"F3"}));
    EXPECT_EQ(HostStderr(), u"");
}

struct WordLimitCase {
    int words;        // one-word entries in the text
    int32_t expected; // result
    int32_t found;    // words seen, the dropped ones included
};

TEST_F(CommandTokenizer, TokenizerKeepsTheFirst1024WordsSilently) {
    const WordLimitCase cases[] = {{1023, 1023, 1023},
                                   {1024, 1024, 1024},
                                   {1025, 1024, 1025},
                                   {1100, 1024, 1100},
                                   {5000, 1024, 5000}};
    for (const auto& c : cases) {
        HostClearOutput();
        std::u16string text;
        for (int n = 0; n < c.words; ++n)
            text += u"w" + FromUtf8(std::to_string(n)) + u" ";
        EXPECT_EQ(TokenizeArguments(text.c_str()), c.expected) << c.words << " words";
        EXPECT_EQ(ArgumentList.count, c.expected) << c.words << " words";
        EXPECT_EQ(ArgumentList.found, c.found) << c.words << " words";
        int last = c.expected - 1;
        EXPECT_EQ(std::u16string(ArgumentList.words[last]), u"W" + FromUtf8(std::to_string(last)))
            << c.words << " words";
        EXPECT_EQ(HostStderr(), u"") << c.words << " words";
    }
}

TEST_F(CommandTokenizer, TokenizerOneLetterWordsStopAtThe1024th) {
    std::u16string text;
    for (int n = 0; n < 1100; ++n) {
        text += static_cast<char16_t>(u'a' + n % 26);
        text += u' ';
    }
    for (char16_t& ch : ArgumentList.pool)
        ch = u'#';
    ASSERT_EQ(TokenizeArguments(text.c_str()), 1024);
    EXPECT_EQ(std::u16string(ArgumentList.words[1023]), std::u16string(1, u'A' + 1023 % 26));
    // The last word's terminator, the zero after its blank, and nothing of the dropped words.
    EXPECT_EQ(ArgumentList.pool[2047], 0);
    EXPECT_EQ(ArgumentList.pool[2048], 0);
    EXPECT_EQ(std::u16string(ArgumentList.pool + 2049, MAX_ARG_LEN - 2049),
              std::u16string(MAX_ARG_LEN - 2049, u'#'));
}

struct PoolCase {
    std::u16string text;
    int32_t result;
    int overflowAt; // position in the overflow line; -1 when there is none
};

TEST_F(CommandTokenizer, TokenizerReportsAPoolOverflow) {
    const std::u16string w8189(8189, u'q');
    const std::u16string w8190(8190, u'q');
    const std::u16string w8191(8191, u'q');
    const std::u16string w8192(8192, u'q');
    const PoolCase cases[] = {
        {w8191, 1, -1},
        {u"  " + w8191 + u"  ", 1, -1},
        {u"\"" + std::u16string(8191, u' ') + u"\"", 1, -1},
        {w8192, -1, 8191},
        {u"\"" + std::u16string(8192, u' ') + u"\"", -1, 8191},
        {w8189 + u" x", 2, -1},
        {w8190 + u" x", -1, 8191},
        {w8191 + u" x", -1, 8192},
        {w8191 + u" \"\"", 1, -1},
        {w8191 + u"    ", 1, -1},
    };
    for (const auto& c : cases) {
        HostClearOutput();
        size_t size = c.text.size();
        EXPECT_EQ(TokenizeArguments(c.text.c_str()), c.result) << "length " << size;
        if (c.overflowAt < 0) {
            EXPECT_EQ(ArgumentList.count, c.result) << "length " << size;
            EXPECT_EQ(HostStderr(), u"") << "length " << size;
        } else {
            EXPECT_EQ(ArgumentList.count, 0) << "length " << size;
            EXPECT_EQ(ArgumentList.found, 0) << "length " << size;
            EXPECT_EQ(HostStderr(), OverflowLine(c.overflowAt)) << "length " << size;
        }
        EXPECT_EQ(HostStdout(), u"") << "length " << size;
    }
}

TEST_F(CommandTokenizer, TokenizerOverflowAfterThe1024thWordIsStillReported) {
    // 1024 words of 7 characters fill the pool up to its last position.
    std::u16string text = Repeated(u"abcdefg ", 1024);
    ASSERT_EQ(TokenizeArguments(text.c_str()), 1024);
    EXPECT_EQ(HostStderr(), u"");
    text += u"h";
    EXPECT_EQ(TokenizeArguments(text.c_str()), -1);
    EXPECT_EQ(ArgumentList.count, 0);
    EXPECT_EQ(HostStderr(), OverflowLine(8192));
}

TEST_F(CommandTokenizer, TokenizerOverflowLineCarriesTheBatchPosition) {
    HostSetVariable(u"_batch", u"1");
    HostSetVariable(u"_batchname", u"C:\\run%d.btm");
    HostSetVariable(u"_batchline", u"4");
    const std::u16string word(9000, u'q');
    EXPECT_EQ(TokenizeArguments(word.c_str()), -1);
    EXPECT_EQ(HostStderr(), u"Torvane plugin: C:\\run%d.btm [4]  Buffer overflow: b = 8191, "
                            u"MAX_ARG_LEN = 8192 \r\n");
}

struct LongTextCase {
    const char* what;
    std::u16string text;
    int32_t result;
};

TEST_F(CommandTokenizer, TokenizerStaysInsideThePoolForHugeTexts) {
    std::u16string spaced = Repeated(u"ab ", 33334);
    spaced.resize(100000);
    const LongTextCase cases[] = {
        {"one word", std::u16string(100000, u'x'), -1},
        {"one quoted word", u"\"" + std::u16string(99998, u' ') + u"\"", -1},
        {"many words", spaced, 1024},
        {"only blanks", std::u16string(100000, u' '), 0},
        {"only quotes", std::u16string(100000, u'"'), 0},
    };
    for (const auto& c : cases) {
        HostClearOutput();
        EXPECT_EQ(TokenizeArguments(c.text.c_str()), c.result) << c.what;
        EXPECT_EQ(HostStderr(), c.result < 0 ? OverflowLine(8191) : u"") << c.what;
    }
}

} // namespace
