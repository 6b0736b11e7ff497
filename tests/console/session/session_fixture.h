// The fixture of the session's tests: a started session over the plug-in of this build, on a
// transcript or a terminal, and keys typed into it by name (tests/console/typed_keys.h).
#pragma once

#include <memory>
#include <string>

#include "console/drivers/native_driver.h"
#include "console/session/commands.h"
#include "console/session/session.h"
#include "console/terminal/terminal_screen.h"
#include "console/terminal/transcript_screen.h"
#include "tests/console/typed_keys.h"
#include "tests/plugin/world.h"

// What the console writes is kept in written; the host's output only in the stand-in host.
class SessionFixture : public World {
  protected:
    std::string written;
    std::unique_ptr<PluginDriver> plugin = MakeNativeDriver();
    std::unique_ptr<Screen> screen;
    std::unique_ptr<Session> session = std::make_unique<Session>();

    // A session on a transcript, or on a terminal width columns wide; a second start begins from
    // a freshly loaded plug-in.
    void Start(const char16_t* hostVersion = u"23", bool transcript = true, size_t width = 80) {
        if (session->plugin != nullptr) { // begun before
            plugin->Stop();
            ResetWorld();
        }
        HostSetVariable(u"_4ver", hostVersion);
        HostSetVariable(kResultVariable, u"0");
        ByteSink capture = [this](const char* bytes, size_t length) {
            written.append(bytes, length);
        };
        ByteSink ignore = [](const char*, size_t) {};
        if (transcript)
            screen = MakeTranscriptScreen(capture, ignore);
        else
            screen = MakeTerminalScreen(capture, ignore, ignore, TerminalSize{24, width});
        std::string problem;
        ASSERT_TRUE(plugin->Start(&problem)) << problem;
        bool extended = hostVersion[0] >= u'2' && hostVersion[1] >= u'4';
        session = std::make_unique<Session>();
        SessionBegin(*session, plugin.get(), screen.get(), extended);
        SessionFlush(*session);
        HostClearOutput();
        written.clear();
    }
    void TearDown() override {
        plugin->Stop();
        World::TearDown();
    }

    // Types keys as a terminal would send them, runs each line they end, then lets the console
    // draw.
    void Type(const std::string& keys) {
        const std::string bytes = Keys(keys);
        size_t pos = 0;
        while (pos < bytes.size() && !session->exitRequested) {
            DecodedInput item =
                DecodeInput(reinterpret_cast<const unsigned char*>(bytes.data()) + pos,
                            bytes.size() - pos, true, false);
            if (auto line = SessionInput(*session, item)) RunCommandLine(*session, *line);
            pos += item.consumed;
        }
        SessionFlush(*session);
    }

    // What typing keys wrote, from a clean slate.
    std::string Typed(const std::string& keys) {
        written.clear();
        Type(keys);
        return written;
    }

    std::u16string Line() const { return TranscriptLine(session->line); }
    std::u16string Result() const { return *HostVariable(kResultVariable); }
};
