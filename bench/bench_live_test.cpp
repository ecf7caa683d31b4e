// A live test of status queries 1 to 4 (login, four pages, sign-off)
// against the local fake router: what it takes beyond a bare libcurl client
// sending the same requests, and the longest time the window's thread is
// busy while the dialog runs such a test.
#include "FakeRouter.h"
#include "LiveTest.h"
#include "LiveTestDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace fakerouter;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 50;

double Ms(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Times every event the window's thread handles while a test runs.
class TTimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (m_depth++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        const auto started = Clock::now();
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        if (measuring && Ms(Clock::now() - started) > longest) {
            longest = Ms(Clock::now() - started);
            longestEvent = std::string(receiver->metaObject()->className()) + " event "
                           + std::to_string(int(event->type()));
        }
        return handled;
    }

    bool measuring = false;
    double longest = 0;
    std::string longestEvent;

private:
    int m_depth = 0;
};

std::size_t Collect(char*, std::size_t size, std::size_t count, void* body)
{
    static_cast<std::string*>(body)->append(size * count, ' ');
    return size * count;
}

// The same requests with libcurl alone: one handle, cookies, redirects.
double BareRun(const TRouterEntry& entry, const TRouterAddress& address)
{
    const auto started = Clock::now();
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    for (const TPlannedRequest& planned : PlanLiveTest(entry, {1, 2, 3, 4}, TLiveAction::None)) {
        const TLiveRequest request = BuildLiveRequest(planned.name, planned.request, address, {kUser, kPassword});
        std::string body;
        curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
        if (request.post)
            curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, request.body.c_str());
        else
            curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        curl_easy_perform(curl);
    }
    curl_easy_cleanup(curl);
    return Ms(Clock::now() - started);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TTimedApplication app(argc, argv);
    const std::string script = std::string(PYTHON3) + " " + FAKE_ROUTER_SCRIPT + " ";
    if (std::system((script + "start " + FAKE_ROUTER_STATE).c_str()) != 0) {
        std::fprintf(stderr, "The fake router did not start.\n");
        return 1;
    }
    const TRouterEntry entry = FormRouter();
    const TRouterAddress address{"http", "127.0.0.1", Port("http")};

    std::vector<double> live;
    std::vector<double> bare;
    for (int run = 0; run < kRuns; ++run) {
        TLiveCancel cancel;
        const auto started = Clock::now();
        const TLiveTestReport report = RunLiveTest(entry, {Address(), {kUser, kPassword}, {1, 2, 3, 4}, {}, {}}, cancel);
        live.push_back(Ms(Clock::now() - started));
        if (!report.Succeeded()) {
            std::fprintf(stderr, "The live test failed.\n");
            return 1;
        }
        bare.push_back(BareRun(entry, address));
    }
    std::printf("Live test of status queries 1-4 (6 requests), median of %d runs: %.2f ms\n", kRuns, Median(live));
    std::printf("The same requests with libcurl alone:                     %.2f ms\n", Median(bare));
    std::printf("Overhead of the live test beyond that:                    %.2f ms\n", Median(live) - Median(bare));

    TLiveTestDlg dialog(entry, QStringLiteral("Fake Formular"), {});
    dialog.show();
    dialog.findChild<QLineEdit*>(QStringLiteral("AddressEdit"))->setText(QString::fromStdString(Address()));
    dialog.findChild<QLineEdit*>(QStringLiteral("UserEdit"))->setText(QString::fromStdString(kUser));
    dialog.findChild<QLineEdit*>(QStringLiteral("PasswordEdit"))->setText(QString::fromUtf8(kPasswordUtf8));
    auto* test = dialog.findChild<QPushButton*>(QStringLiteral("TestBtn"));
    // The first test paints the dialog's lists for the first time; it is
    // reported on its own.
    double first = 0;
    for (int run = 0; run < 21; ++run) {
        if (run == 1) {
            first = app.longest;
            app.longest = 0;
        }
        app.measuring = true;
        test->click();
        while (dialog.Running())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QApplication::processEvents();
        app.measuring = false;
    }
    std::printf("Longest time the window's thread was busy during the first test: %.2f ms\n", first);
    std::printf("Longest time the window's thread was busy during 20 more tests in the dialog: %.2f ms (%s)\n", app.longest,
                app.longestEvent.c_str());
    std::system((script + "stop " + FAKE_ROUTER_STATE).c_str());
    return 0;
}
