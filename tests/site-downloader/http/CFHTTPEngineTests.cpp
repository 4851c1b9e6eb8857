#include "site-downloader/http/CFHTTPEngine.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/FaultServer.h"
#include "tests/site-downloader/http/HttpTestSupport.h"
#include "tests/site-downloader/http/TinyproxyServer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

QByteArray response(const QByteArray &statusAndHeaders, const QByteArray &body = {})
{
    return statusAndHeaders + "\r\n\r\n" + body;
}

int countLines(const QStringList &lines, const QString &needle)
{
    int count = 0;
    for (const QString &line : lines)
        count += line.contains(needle) ? 1 : 0;
    return count;
}

class EngineAgainstNginx : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(site.start()); }
    TestSite site;
};

TEST_F(EngineAgainstNginx, BodyLengthAndProgressOfAFile)
{
    const EngineOutcome outcome = Fetch(site.url("/file.bin"));
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.status, kNoErr);
    ASSERT_TRUE(outcome.headers);
    EXPECT_EQ(outcome.headers->statusCode, 200);
    EXPECT_EQ(outcome.headers->statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(outcome.data, site.fileBody());
    EXPECT_EQ(outcome.contentLength, site.fileBody().size());
    // The first data of a request always makes a progress event.
    EXPECT_GE(outcome.progressEvents, 1);
    EXPECT_GT(outcome.bytesAtFirstProgress, 0);
}

TEST_F(EngineAgainstNginx, HttpErrorsAndEmptyBodiesCompleteNormally)
{
    const EngineOutcome missing = Fetch(site.url("/missing"));
    EXPECT_EQ(missing.completions, 1);
    EXPECT_EQ(missing.status, kNoErr);
    ASSERT_TRUE(missing.headers);
    EXPECT_EQ(missing.headers->statusCode, 404);

    const EngineOutcome empty = Fetch(site.url("/empty.txt"));
    EXPECT_EQ(empty.status, kNoErr);
    ASSERT_TRUE(empty.data);
    EXPECT_TRUE(empty.data->isEmpty());
    EXPECT_EQ(empty.contentLength, 0);
}

TEST_F(EngineAgainstNginx, RedirectsAreFollowedUnlessAskedNotToAndLoopsEnd)
{
    const EngineOutcome followed = Fetch(site.url("/redirect"));
    EXPECT_EQ(followed.status, kNoErr);
    ASSERT_TRUE(followed.headers);
    EXPECT_EQ(followed.headers->statusCode, 200);
    EXPECT_EQ(followed.data, site.fileBody());
    // The length is the final response's, not the redirect's.
    EXPECT_EQ(followed.contentLength, site.fileBody().size());

    FetchOptions noRedirect;
    noRedirect.flags |= kCFHTTPEngineFlagNoAutoRedirect;
    const EngineOutcome answered = Fetch(site.url("/redirect"), noRedirect);
    EXPECT_EQ(answered.status, kNoErr);
    ASSERT_TRUE(answered.headers);
    EXPECT_EQ(answered.headers->statusCode, 302);
    EXPECT_TRUE(answered.headers->headerFieldValue("location").has_value());

    const EngineOutcome loop = Fetch(site.url("/loop"));
    EXPECT_EQ(loop.completions, 1);
    EXPECT_EQ(loop.status, kOverrunErr);
}

TEST_F(EngineAgainstNginx, CredentialsAnswerTheChallengeOnceAndOnlyThen)
{
    FetchOptions right;
    right.username = QStringLiteral("user");
    right.password = QStringLiteral("secret");
    const EngineOutcome granted = Fetch(site.url("/private/secret.txt"), right);
    EXPECT_EQ(granted.status, kNoErr);
    EXPECT_EQ(granted.data, QByteArray("secret body\n"));
    // Asked first without credentials, then once with them.
    EXPECT_EQ(countLines(site.accessLog(), QStringLiteral("\" 401 ")), 1);
    EXPECT_EQ(countLines(site.accessLog(), QStringLiteral("\" 200 ")), 1);

    FetchOptions wrong = right;
    wrong.password = QStringLiteral("wrong");
    const EngineOutcome refused = Fetch(site.url("/private/secret.txt"), wrong);
    EXPECT_EQ(refused.completions, 1);
    EXPECT_EQ(refused.status, kNoErr);
    ASSERT_TRUE(refused.headers);
    EXPECT_EQ(refused.headers->statusCode, 401);
    EXPECT_EQ(countLines(site.accessLog(), QStringLiteral("\" 401 ")), 3);

    const EngineOutcome none = Fetch(site.url("/private/secret.txt"));
    EXPECT_EQ(none.status, kNoErr);
    EXPECT_EQ(none.headers->statusCode, 401);
    EXPECT_EQ(countLines(site.accessLog(), QStringLiteral("\" 401 ")), 4);
}

TEST_F(EngineAgainstNginx, ConnectionsAreReusedOnlyWithThePersistentFlag)
{
    FetchOptions persistent;
    persistent.flags |= kCFHTTPEngineFlagPersistentConnection;
    const QByteArray first = Fetch(site.url("/connection"), persistent).data.value_or("a");
    const QByteArray second = Fetch(site.url("/connection"), persistent).data.value_or("b");
    EXPECT_EQ(first, second);

    const QByteArray third = Fetch(site.url("/connection")).data.value_or("c");
    const QByteArray fourth = Fetch(site.url("/connection")).data.value_or("d");
    EXPECT_NE(third, fourth);
}

TEST_F(EngineAgainstNginx, ReleaseFromInsideTheCompletionAndSelfReleasingEngines)
{
    FetchOptions releasing;
    releasing.releaseInCallback = true;
    const EngineOutcome released = Fetch(site.url("/file.bin"), releasing);
    EXPECT_EQ(released.completions, 1);
    EXPECT_EQ(released.status, kNoErr);

    // No engine given: the send makes one that frees itself after its completion (the leak
    // checker of a sanitizer build would notice otherwise).
    EngineOutcome outcome;
    ASSERT_EQ(CFHTTPEngineSendRequest(nullptr, site.url("/file.bin"), "GET", nullptr, nullptr, 0, 10,
                                      RecordEngineEvent, &outcome, nullptr),
              kNoErr);
    ProcessProbe::runEventLoopUntil([&] { return outcome.completions > 0; });
    ProcessProbe::runEventLoopUntil([] { return false; }, 100);
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.data, site.fileBody());
}

TEST_F(EngineAgainstNginx, SynchronousSendsHandBackTheResponse)
{
    CFHTTPResponse response;
    EngineOutcome outcome;
    EXPECT_EQ(CFHTTPEngineSendRequest(nullptr, site.url("/file.bin"), "GET", nullptr, nullptr,
                                      kCFHTTPEngineFlagSynchronous, 10, RecordEngineEvent, &outcome, &response),
              kNoErr);
    EXPECT_EQ(outcome.completions, 1);
    ASSERT_TRUE(response.data);
    EXPECT_EQ(*response.data, site.fileBody());

    // The callback releases the caller's only reference while the nested loop runs.
    CFHTTPEngine *engine = nullptr;
    ASSERT_EQ(CFHTTPEngineCreate(&engine), kNoErr);
    EngineOutcome releasing;
    releasing.releaseInCallback = true;
    EXPECT_EQ(CFHTTPEngineSendRequest(engine, site.url("/missing"), "GET", nullptr, nullptr,
                                      kCFHTTPEngineFlagSynchronous, 10, RecordEngineEvent, &releasing, &response),
              kNoErr);
    EXPECT_EQ(response.headers->statusCode, 404);
}

TEST_F(EngineAgainstNginx, StoppingReportsOnceAndAWholeBodyIsNeverCutSilently)
{
    FetchOptions stopping;
    stopping.stopInProgress = true;
    const EngineOutcome stopped = Fetch(site.url("/file.bin"), stopping);
    EXPECT_EQ(stopped.completions, 1);
    EXPECT_EQ(stopped.status, kCanceledErr);

    FetchOptions capped;
    capped.maximumBodySize = 1000;
    const EngineOutcome tooLarge = Fetch(site.url("/file.bin"), capped);
    EXPECT_EQ(tooLarge.completions, 1);
    EXPECT_EQ(tooLarge.status, kSizeErr);
}

TEST_F(EngineAgainstNginx, ASecondSendWhileRunningIsRefused)
{
    CFHTTPEngine *engine = nullptr;
    ASSERT_EQ(CFHTTPEngineCreate(&engine), kNoErr);
    EngineOutcome outcome;
    ASSERT_EQ(CFHTTPEngineSendRequest(engine, site.url("/file.bin"), "GET", nullptr, nullptr, 0, 10,
                                      RecordEngineEvent, &outcome, nullptr),
              kNoErr);
    EXPECT_EQ(CFHTTPEngineSendRequest(engine, site.url("/empty.txt"), "GET", nullptr, nullptr, 0, 10,
                                      RecordEngineEvent, &outcome, nullptr),
              kBusyErr);
    ProcessProbe::runEventLoopUntil([&] { return outcome.completions > 0; });
    EXPECT_EQ(outcome.data, site.fileBody());
    // Reuse after the completion is fine; the release reports nothing more.
    ASSERT_EQ(CFHTTPEngineSendRequest(engine, site.url("/empty.txt"), "GET", nullptr, nullptr, 0, 10,
                                      RecordEngineEvent, &outcome, nullptr),
              kNoErr);
    ProcessProbe::runEventLoopUntil([&] { return outcome.completions > 1; });
    CFHTTPEngineStop(engine, kCanceledErr);
    CFHTTPEngineRelease(engine);
    EXPECT_EQ(outcome.completions, 2);
    EXPECT_EQ(outcome.status, kNoErr);
}

TEST(EngineSend, RefusedSendsReportOnlyThroughTheirResult)
{
    EngineOutcome outcome;
    const CFHTTPHeaderFields injected{{"X-Test", "a\r\nHost: elsewhere"}};
    struct Case {
        QByteArray url;
        QByteArray method;
        const CFHTTPHeaderFields *fields;
        uint32_t flags;
        bool withResponse;
        Status expected;
    };
    const Case cases[] = {
        {"", "GET", nullptr, 0, false, kParamErr},
        {"http://127.0.0.1:1/", "", nullptr, 0, false, kParamErr},
        {"not an address", "GET", nullptr, 0, false, kFormatErr},
        {"file:///etc/passwd", "GET", nullptr, 0, false, kUnsupportedErr},
        {"ftp://127.0.0.1/x", "GET", nullptr, 0, false, kUnsupportedErr},
        {"http://127.0.0.1:1/", "GET\r\nX", nullptr, 0, false, kParamErr},
        {"http://127.0.0.1:1/", "GET", &injected, 0, false, kParamErr},
        {"http://127.0.0.1:1/", "GET", nullptr, 0, true, kRequestErr},
    };
    for (const Case &c : cases) {
        CFHTTPEngine *engine = nullptr;
        ASSERT_EQ(CFHTTPEngineCreate(&engine), kNoErr);
        CFHTTPResponse response;
        EXPECT_EQ(CFHTTPEngineSendRequest(engine, c.url, c.method, c.fields, nullptr, c.flags, 1, RecordEngineEvent,
                                          &outcome, c.withResponse ? &response : nullptr),
                  c.expected)
            << c.url.constData();
        CFHTTPEngineRelease(engine);
    }
    ProcessProbe::runEventLoopUntil([] { return false; }, 50);
    EXPECT_EQ(outcome.completions, 0);

    EXPECT_EQ(Fetch("http://127.0.0.1:1/").status, kConnectionErr);
}

TEST(EngineFaults, InactivityNotTotalTimeEndsARequest)
{
    FaultServer stalling([](FaultConnection &connection) {
        connection.readRequest();
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
        connection.pause(5000);
    });
    FetchOptions shortTimeout;
    shortTimeout.timeout = 0.4;
    QElapsedTimer clock;
    clock.start();
    const EngineOutcome stalled = Fetch(stalling.url(), shortTimeout);
    EXPECT_EQ(stalled.completions, 1);
    EXPECT_EQ(stalled.status, kTimeoutErr);
    EXPECT_LT(clock.elapsed(), 3000);

    // A byte every 0.15 s for about 1.5 s: ten times the time-out in all, never idle that long.
    FaultServer trickling([](FaultConnection &connection) {
        connection.readRequest();
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
        for (int i = 0; i < 10 && connection.pause(150); ++i)
            connection.send(QByteArray(1, static_cast<char>('0' + i)));
    });
    const EngineOutcome trickled = Fetch(trickling.url(), shortTimeout);
    EXPECT_EQ(trickled.status, kNoErr);
    EXPECT_EQ(trickled.data, QByteArray("0123456789"));
    // Throttled: a progress event per byte would make ten.
    EXPECT_LE(trickled.progressEvents, 6);
    EXPECT_GE(trickled.progressEvents, 2);
}

TEST(EngineFaults, TruncatedBodiesFailAndDelimitedOnesSucceed)
{
    FaultServer shortBody(AnswerEveryRequest(response("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close",
                                                      QByteArray(500, 'x'))));
    const EngineOutcome cut = Fetch(shortBody.url());
    EXPECT_EQ(cut.completions, 1);
    EXPECT_EQ(cut.status, kUnderrunErr);

    FaultServer cutChunks(AnswerEveryRequest(
        response("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close", "5\r\nhello\r\n")));
    EXPECT_EQ(Fetch(cutChunks.url()).status, kUnderrunErr);

    FaultServer chunks(AnswerEveryRequest(
        response("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked", "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n")));
    const EngineOutcome chunked = Fetch(chunks.url());
    EXPECT_EQ(chunked.status, kNoErr);
    EXPECT_EQ(chunked.data, QByteArray("hello world"));
    EXPECT_EQ(chunked.contentLength, -1);

    FaultServer closeDelimited(AnswerEveryRequest(response("HTTP/1.1 200 OK\r\nConnection: close", "until the end")));
    const EngineOutcome delimited = Fetch(closeDelimited.url());
    EXPECT_EQ(delimited.status, kNoErr);
    EXPECT_EQ(delimited.data, QByteArray("until the end"));
    EXPECT_EQ(delimited.contentLength, -1);

    FaultServer nothing(AnswerEveryRequest(response("HTTP/1.1 200 OK\r\nConnection: close")));
    const EngineOutcome empty = Fetch(nothing.url());
    EXPECT_EQ(empty.status, kNoErr);
    ASSERT_TRUE(empty.data);
    EXPECT_TRUE(empty.data->isEmpty());
    EXPECT_EQ(empty.contentLength, -1);
}

TEST(EngineFaults, MalformedAnswersFailOnce)
{
    for (const QByteArray &answer : {QByteArray("HTPP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"),
                                     QByteArray("HTTP/1.1 2x0 OK\r\nContent-Length: 2\r\n\r\nok"),
                                     QByteArray("")}) {
        FaultServer server([answer](FaultConnection &connection) {
            connection.readRequest();
            connection.send(answer);
        });
        const EngineOutcome outcome = Fetch(server.url());
        EXPECT_EQ(outcome.completions, 1) << answer.constData();
        EXPECT_NE(outcome.status, kNoErr) << answer.constData();
    }
}

TEST(EngineFaults, ARepeatedChallengeIsAnsweredOnce)
{
    FaultServer challenging(AnswerEveryRequest(
        response("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"r\"\r\nContent-Length: 0")));
    FetchOptions credentials;
    credentials.username = QStringLiteral("user");
    credentials.password = QStringLiteral("pass");
    const EngineOutcome outcome = Fetch(challenging.url(), credentials);
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.status, kNoErr);
    EXPECT_EQ(outcome.headers->statusCode, 401);
    const auto requests = challenging.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[0].contains("Authorization:"));
    EXPECT_TRUE(requests[1].contains("Authorization: Basic dXNlcjpwYXNz"));
}

TEST(EngineFaults, ARepeatedProxyChallengeIsAnsweredOnce)
{
    FaultServer proxy(AnswerEveryRequest(
        response("HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"p\"\r\nContent-Length: 0")));
    const ScopedEnvironment http("http_proxy", proxy.url());
    FetchOptions credentials;
    credentials.username = QStringLiteral("user");
    credentials.password = QStringLiteral("pass");
    const EngineOutcome outcome = Fetch("http://example.invalid/file", credentials);
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.status, kNoErr);
    EXPECT_EQ(outcome.headers->statusCode, 407);
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].startsWith("GET http://example.invalid/file HTTP/1.1"));
    EXPECT_FALSE(requests[0].contains("Proxy-Authorization:"));
    EXPECT_TRUE(requests[1].contains("Proxy-Authorization: Basic dXNlcjpwYXNz"));
    EXPECT_FALSE(requests[1].contains("\r\nAuthorization:"));
}

TEST(EngineFaults, CredentialsStayWithTheOriginalServer)
{
    FaultServer elsewhere(AnswerEveryRequest(
        response("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"r\"\r\nContent-Length: 0")));
    FaultServer origin(AnswerEveryRequest(
        response("HTTP/1.1 302 Found\r\nLocation: " + elsewhere.url("/take") + "\r\nContent-Length: 0")));
    FetchOptions credentials;
    credentials.username = QStringLiteral("user");
    credentials.password = QStringLiteral("pass");
    const EngineOutcome outcome = Fetch(origin.url(), credentials);
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.headers->statusCode, 401);
    for (const QByteArray &request : elsewhere.requests())
        EXPECT_FALSE(request.contains("Authorization:")) << request.constData();
    EXPECT_EQ(elsewhere.requests().size(), 1u);
}

TEST(EngineFaults, TheRequestCarriesOnlyWhatItsCallerPutThere)
{
    FaultServer server(AnswerEveryRequest(response("HTTP/1.1 200 OK\r\nContent-Length: 0")));
    const CFHTTPHeaderFields fields{{"X-Custom", "yes"}};
    const QByteArray body = "a=b";
    CFHTTPResponse answer;
    ASSERT_EQ(CFHTTPEngineSendRequest(nullptr, server.url("/form"), "POST", &fields, &body,
                                      kCFHTTPEngineFlagSynchronous, 10, nullptr, nullptr, &answer),
              kNoErr);
    const QByteArray request = server.requests().at(0);
    EXPECT_TRUE(request.startsWith("POST /form HTTP/1.1\r\n"));
    EXPECT_TRUE(request.contains("X-Custom: yes\r\n"));
    EXPECT_TRUE(request.contains("Content-Length: 3\r\n"));
    EXPECT_FALSE(request.contains("Content-Type:"));
    EXPECT_FALSE(request.contains("Accept:"));
    EXPECT_FALSE(request.contains("Expect:"));
    EXPECT_FALSE(request.contains("Authorization:"));
}

TEST(EngineProxy, RequestsGoThroughTheSessionProxyUnlessExempted)
{
    TestSite site;
    ASSERT_TRUE(site.start());
    TinyproxyServer proxy;
    QString problem;
    ASSERT_TRUE(proxy.start(&problem)) << problem.toStdString();
    const ScopedEnvironment http("http_proxy", proxy.url());

    const EngineOutcome proxied = Fetch(site.url("/via"));
    EXPECT_EQ(proxied.status, kNoErr);
    EXPECT_TRUE(proxied.data.value_or("").contains("tinyproxy")) << proxied.data.value_or("").constData();

    const ScopedEnvironment direct("no_proxy", "127.0.0.1");
    const EngineOutcome exempted = Fetch(site.url("/via"));
    EXPECT_EQ(exempted.data, QByteArray("via="));
}

TEST(EngineProxy, AProxyAskingForCredentialsGetsThem)
{
    TestSite site;
    ASSERT_TRUE(site.start());
    TinyproxyServer proxy(QStringLiteral("proxyuser"), QStringLiteral("proxypass"));
    ASSERT_TRUE(proxy.start());
    const ScopedEnvironment http("http_proxy", proxy.url());

    const EngineOutcome refused = Fetch(site.url("/file.bin"));
    EXPECT_EQ(refused.status, kNoErr);
    EXPECT_EQ(refused.headers->statusCode, 407);

    FetchOptions credentials;
    credentials.username = QStringLiteral("proxyuser");
    credentials.password = QStringLiteral("proxypass");
    const EngineOutcome granted = Fetch(site.url("/file.bin"), credentials);
    EXPECT_EQ(granted.status, kNoErr);
    EXPECT_EQ(granted.headers->statusCode, 200);
    EXPECT_EQ(granted.data, site.fileBody());
}

TEST(HTTPMessage, FieldNamesIgnoreCaseAndFormsEscapeValuesOnly)
{
    CFHTTPMessage message = CFHTTPMessage::request("GET", "http://127.0.0.1/");
    CFHTTPMessageSetHeaderFields(message, {{"Content-Type", "text/plain"}});
    message.setHeaderFieldValue("content-type", "text/html");
    ASSERT_EQ(message.headerFields.size(), 1u);
    EXPECT_EQ(message.headerFieldValue("CONTENT-TYPE"), QByteArray("text/html"));

    QByteArray block;
    CFHTTPMessageCopyAllHeaderFieldsStringApplier("A", "1", block);
    CFHTTPMessageCopyAllHeaderFieldsStringApplier("B", "2", block);
    EXPECT_EQ(block, "A: 1\r\nB: 2\r\n");

    CFHTTPFormContext form;
    CFHTTPMessageSetHTTPFormApplier(QStringLiteral("name"), QStringLiteral("a b&c=d"), form);
    CFHTTPMessageSetHTTPFormApplier(QStringLiteral("städte"), QStringLiteral("Zürich 100%#"), form);
    EXPECT_EQ(form.text, QStringLiteral("name=a%20b&c=d&städte=Z%C3%BCrich%20100%25%23"));
    EXPECT_EQ(form.count, 2);

    CFHTTPMessageSetHTTPFormApplier(QStringLiteral("bad"), QString(QChar(0xD800)), form);
    EXPECT_EQ(form.status, kMalformedErr);
    CFHTTPMessageSetHTTPFormApplier(QStringLiteral("later"), QStringLiteral("x"), form);
    EXPECT_EQ(form.count, 2);
}

} // namespace
