#include "WMsgBox.h"

#include <gtest/gtest.h>

using namespace MsgBox;

namespace {

struct Recorder {
    std::string text, caption;
    unsigned style = 0;
    int answer = IDOK;
};

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMessageBoxFunction([this](const TCp1252Text& t, const TCp1252Text& c, unsigned s) {
            rec.text = t.Bytes();
            rec.caption = c.Bytes();
            rec.style = s;
            return rec.answer;
        });
    }
    void TearDown() override { SetMessageBoxFunction(ConsoleMessageBox); }
    Recorder rec;
};

int Show(std::string_view text, std::string_view caption, TMsgBoxKind kind, TMsgBoxButtons buttons)
{
    return ShowMsgBox(TCp1252Text(text), TCp1252Text(caption), kind, buttons);
}

} // namespace

TEST_F(MsgBoxTest, KindsSelectCaptionAndIcon)
{
    Show("x", "", mkError, btnOK);
    EXPECT_EQ(rec.caption, "Fehler");
    EXPECT_EQ(rec.style, 0x10030u);
    Show("x", "", mkWarning, btnOK);
    EXPECT_EQ(rec.caption, "Warnung");
    EXPECT_EQ(rec.style, 0x10010u);
    Show("x", "", mkInformation, btnOK);
    EXPECT_EQ(rec.caption, "Information");
    EXPECT_EQ(rec.style, 0x10040u);
    Show("x", "", mkQuestion, btnOK);
    EXPECT_EQ(rec.caption, "Frage");
    EXPECT_EQ(rec.style, 0x10020u);
    Show("x", "", TMsgBoxKind(5), btnOK);
    EXPECT_EQ(rec.caption, "");
    EXPECT_EQ(rec.style, 0x10000u);
}

TEST_F(MsgBoxTest, ProgramCallsGetTheirStyles)
{
    rec.answer = IDYES;
    EXPECT_EQ(Show("M\xF6" "chten Sie ...", "", mkConfirmation, btnYesNo), IDYES);
    EXPECT_EQ(rec.caption, "Best\xE4tigung");
    EXPECT_EQ(rec.style, 0x10024u);
    Show("x", "Eigene", mkError, btnOK);
    EXPECT_EQ(rec.caption, "Eigene");
}

TEST_F(MsgBoxTest, ControlCharactersAreShownNotActedOn)
{
    // A router name that would set a terminal's title and clear it; the
    // message's own line breaks stay.
    Show("Router \"\x1b]0;PWNED\x07\x1b[2J\x7f\x81\x80\" fehlt.\nWeiter?", "", mkError, btnOK);
    EXPECT_EQ(rec.text, "Router \"\\x1b]0;PWNED\\x07\\x1b[2J\\x7f\\x81\x80\" fehlt.\nWeiter?");
}

TEST_F(MsgBoxTest, ButtonBitsAddUpAndHighBitsAreIgnored)
{
    const std::pair<TMsgBoxButton, unsigned> values[] = {
        {btnAbortRetryIgnore, 2}, {btnOK, 0}, {btnOKCancel, 1},
        {btnRetryCancel, 5},      {btnYesNo, 4}, {btnYesNoCancel, 3}};
    for (auto [button, value] : values) {
        Show("x", "", mkInformation, button);
        EXPECT_EQ(rec.style & MB_TYPEMASK, value);
    }
    Show("x", "", mkInformation, TMsgBoxButtons());
    EXPECT_EQ(rec.style & MB_TYPEMASK, MB_OK);
    Show("x", "", mkInformation, TMsgBoxButtons::FromBits(0xC0 | 0x04));
    EXPECT_EQ(rec.style & MB_TYPEMASK, MB_OKCANCEL);
}

TEST(ConsoleMessageBox, WritesToStandardErrorAndAnswersTheSafeChoice)
{
    const std::pair<TMsgBoxButton, int> answers[] = {
        {btnAbortRetryIgnore, IDABORT}, {btnOK, IDOK},   {btnOKCancel, IDCANCEL},
        {btnRetryCancel, IDCANCEL},     {btnYesNo, IDNO}, {btnYesNoCancel, IDCANCEL}};
    for (auto [button, answer] : answers)
        EXPECT_EQ(ConsoleMessageBox(TCp1252Text("q"), TCp1252Text("c"), MsgBoxStyle(mkQuestion, button)), answer);

    testing::internal::CaptureStderr();
    ConsoleMessageBox(TCp1252Text("M\xF6" "chten Sie?"), TCp1252Text("Best\xE4tigung"), MsgBoxStyle(mkConfirmation, btnYesNo));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Best\u00e4tigung: M\u00f6chten Sie?\n");
}
