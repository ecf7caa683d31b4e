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
        SetMessageBoxFunction([this](const std::string& t, const std::string& c, unsigned s) {
            rec.text = t;
            rec.caption = c;
            rec.style = s;
            return rec.answer;
        });
    }
    void TearDown() override { SetMessageBoxFunction(ConsoleMessageBox); }
    Recorder rec;
};

} // namespace

TEST_F(MsgBoxTest, KindsSelectCaptionAndIcon)
{
    ShowMsgBox("x", "", mkError, btnOK);
    EXPECT_EQ(rec.caption, "Fehler");
    EXPECT_EQ(rec.style, 0x10030u);
    ShowMsgBox("x", "", mkWarning, btnOK);
    EXPECT_EQ(rec.caption, "Warnung");
    EXPECT_EQ(rec.style, 0x10010u);
    ShowMsgBox("x", "", mkInformation, btnOK);
    EXPECT_EQ(rec.caption, "Information");
    EXPECT_EQ(rec.style, 0x10040u);
    ShowMsgBox("x", "", mkQuestion, btnOK);
    EXPECT_EQ(rec.caption, "Frage");
    EXPECT_EQ(rec.style, 0x10020u);
    ShowMsgBox("x", "", TMsgBoxKind(5), btnOK);
    EXPECT_EQ(rec.caption, "");
    EXPECT_EQ(rec.style, 0x10000u);
}

TEST_F(MsgBoxTest, ProgramCallsGetTheirStyles)
{
    rec.answer = IDYES;
    EXPECT_EQ(ShowMsgBox("M\xF6" "chten Sie ...", "", mkConfirmation, btnYesNo), IDYES);
    EXPECT_EQ(rec.caption, "Best\xE4tigung");
    EXPECT_EQ(rec.style, 0x10024u);
    ShowMsgBox("x", "Eigene", mkError, btnOK);
    EXPECT_EQ(rec.caption, "Eigene");
}

TEST_F(MsgBoxTest, ControlCharactersAreShownNotActedOn)
{
    // A router name that would set a terminal's title and clear it; the
    // message's own line breaks stay.
    ShowMsgBox("Router \"\x1b]0;PWNED\x07\x1b[2J\x7f\x81\x80\" fehlt.\nWeiter?", "", mkError, btnOK);
    EXPECT_EQ(rec.text, "Router \"\\x1b]0;PWNED\\x07\\x1b[2J\\x7f\\x81\x80\" fehlt.\nWeiter?");
}

TEST_F(MsgBoxTest, ButtonBitsAddUpAndHighBitsAreIgnored)
{
    const std::pair<TMsgBoxButton, unsigned> values[] = {
        {btnAbortRetryIgnore, 2}, {btnOK, 0}, {btnOKCancel, 1},
        {btnRetryCancel, 5},      {btnYesNo, 4}, {btnYesNoCancel, 3}};
    for (auto [button, value] : values) {
        ShowMsgBox("x", "", mkInformation, button);
        EXPECT_EQ(rec.style & MB_TYPEMASK, value);
    }
    ShowMsgBox("x", "", mkInformation, TMsgBoxButtons());
    EXPECT_EQ(rec.style & MB_TYPEMASK, MB_OK);
    ShowMsgBox("x", "", mkInformation, TMsgBoxButtons::FromBits(0xC0 | 0x04));
    EXPECT_EQ(rec.style & MB_TYPEMASK, MB_OKCANCEL);
}

TEST(ConsoleMessageBox, WritesToStandardErrorAndAnswersTheSafeChoice)
{
    const std::pair<TMsgBoxButton, int> answers[] = {
        {btnAbortRetryIgnore, IDABORT}, {btnOK, IDOK},   {btnOKCancel, IDCANCEL},
        {btnRetryCancel, IDCANCEL},     {btnYesNo, IDNO}, {btnYesNoCancel, IDCANCEL}};
    for (auto [button, answer] : answers)
        EXPECT_EQ(ConsoleMessageBox("q", "c", MsgBoxStyle(mkQuestion, button)), answer);

    testing::internal::CaptureStderr();
    ConsoleMessageBox("M\xF6" "chten Sie?", "Best\xE4tigung", MsgBoxStyle(mkConfirmation, btnYesNo));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Best\u00e4tigung: M\u00f6chten Sie?\n");
}
