#include <string>
#include <vector>

#include "command/errors.h"
#include "standins/ui.h"
#include "world.h"

namespace {

using CommandErrors = World;

struct PrefixCase {
    const char* what;
    const char16_t* batch; // null: %_batch not set
    const char16_t* name;  // null: %_batchname not set
    const char16_t* line;
    std::u16string prefix;
};

TEST_F(CommandErrors, ErrorPrefixNamesThePluginAndTheBatchPosition) {
    const PrefixCase cases[] = {
        {"prompt", u"0", u"C:\\a.btm", u"3", u"Torvane plugin: "},
        {"prompt, leading zero", u"05", u"C:\\a.btm", u"3", u"Torvane plugin: "},
        {"level 1", u"1", u"C:\\Scripts\\setup.btm", u"12",
         u"Torvane plugin: C:\\Scripts\\setup.btm [12]  "},
        {"level 10", u"10", u"D:\\deep\\nest.cmd", u"1",
         u"Torvane plugin: D:\\deep\\nest.cmd [1]  "},
        {"percent sign", u"1", u"C:\\50%done.btm", u"7", u"Torvane plugin: C:\\50%done.btm [7]  "},
        {"format directives", u"2", u"C:\\%s%d%u%%x.btm", u"9",
         u"Torvane plugin: C:\\%s%d%u%%x.btm [9]  "},
        {"blank in the name", u"1", u"C:\\My Files\\go.bat", u"100",
         u"Torvane plugin: C:\\My Files\\go.bat [100]  "},
        {"non-ASCII name", u"1", u"C:\\\u00DCbung\\\u65E5.btm", u"2",
         u"Torvane plugin: C:\\\u00DCbung\\\u65E5.btm [2]  "},
        {"empty %_batch", u"", u"C:\\a.btm", u"3", u"Torvane plugin: C:\\a.btm [3]  "},
        {"%_batch not set", nullptr, u"C:\\a.btm", u"3", u"Torvane plugin: C:\\a.btm [3]  "},
        {"%_batchname not set", u"1", nullptr, u"3", u"Torvane plugin: %_batchname [3]  "},
    };
    for (const auto& c : cases) {
        ResetWorld();
        if (c.batch != nullptr)
            HostSetVariable(u"_batch", c.batch);
        else
            HostUnsetVariable(u"_batch");
        if (c.name != nullptr) HostSetVariable(u"_batchname", c.name);
        HostSetVariable(u"_batchline", c.line);
        WriteErrorPrefix();
        EXPECT_EQ(HostStderr(), c.prefix) << c.what;
        EXPECT_EQ(HostStdout(), u"") << c.what;
        // One expansion at the prompt, two in a batch file, each asking the host with the flag 1.
        const std::vector<int>& flags = HostExpandFlags();
        EXPECT_EQ(flags, std::vector<int>(c.prefix == u"Torvane plugin: " ? 1 : 2, 1)) << c.what;
    }
}

struct SystemTextCase {
    uint32_t code;
    std::u16string text;
};

TEST_F(CommandErrors, SystemErrorTextsAreOneTrimmedLine) {
    const SystemTextCase cases[] = {
        {5, u"Access is denied."},
        {2, u"The system cannot find the file specified."},
        {0, u"The operation completed successfully."},
        {1013, u"The configuration registry key could not be written."},
        {1016, u"An I/O operation initiated by the registry failed unrecoverably. The registry "
               u"could not read in, or write out, or flush, one of the files that contain the "
               u"system's image of the registry."},
        {0xFFFFFFFF, u"Unknown error"},
        {1234, u"Error 1234"},
        {0x7FFFFFFF, u"Error 2147483647"},
        {0x80000000, u"Error -2147483648"},
        {0x80070005, u"Error -2147024891"},
        {0xFFFFFFFE, u"Error -2"},
    };
    for (const auto& c : cases) {
        char16_t buffer[kErrorTextSize];
        for (char16_t& ch : buffer)
            ch = u'#';
        GetSystemErrorText(c.code, buffer);
        EXPECT_EQ(std::u16string(buffer), c.text) << "code " << c.code;
    }
}

struct TrimCase {
    std::u16string system; // what the system reports
    std::u16string text;   // what the command shows
};

TEST_F(CommandErrors, SystemErrorTextTrimsOnlyTrailingBlanks) {
    const TrimCase cases[] = {
        {u"Access is denied. \r\n", u"Access is denied."},
        {u"Two\r\nlines.\r\n", u"Two\r\nlines."},
        {u"\tIndented.\t \u00A0\u3000", u"\tIndented."},
        {u" \r\n\t ", u""},
        {u"", u""},
        {u"No line end", u"No line end"},
        {u"Not a blank at the end\u00A1", u"Not a blank at the end\u00A1"},
    };
    for (const auto& c : cases) {
        StandInSetSystemErrorText(5, c.system);
        char16_t buffer[kErrorTextSize];
        GetSystemErrorText(5, buffer);
        EXPECT_EQ(std::u16string(buffer), c.text) << "system text: " << ToUtf8(c.system);
    }
}

TEST_F(CommandErrors, SystemErrorTextStaysInsideTheBuffer) {
    StandInSetSystemErrorText(5, std::u16string(3000, u'x'));
    char16_t buffer[kErrorTextSize + 8];
    for (char16_t& ch : buffer)
        ch = u'#';
    GetSystemErrorText(5, buffer);
    EXPECT_EQ(std::u16string(buffer), std::u16string(kErrorTextSize - 1, u'x'));
    EXPECT_EQ(std::u16string(buffer + kErrorTextSize, 8), std::u16string(8, u'#'));
}

} // namespace
