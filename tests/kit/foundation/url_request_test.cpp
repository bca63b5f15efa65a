#include "kit/foundation/url_request.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTemporaryDir>
#include <limits>
#include <memory>

namespace {

using kit::UrlRequestCachePolicy;
using namespace std::chrono_literals;

QCoreApplication& application() {
  static int argc = 1;
  static char name[] = "url_request_test";
  static char* argv[] = {name, nullptr};
  static auto* app = new QCoreApplication(argc, argv);
  return *app;
}

platform::Url url(const std::string& text) { return *platform::Url::parse(text); }

// Runs the loop until the reply has finished, for at most 20 seconds.
bool waitForFinished(QNetworkReply& reply) {
  QElapsedTimer timer;
  timer.start();
  while (!reply.isFinished() && timer.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return reply.isFinished();
}

TEST(UrlRequest, CarriesTheTimeoutOfEitherSpanAndTheCachePolicyAsQtsCacheControl) {
  auto request = kit::urlRequest(url("https://example.com/a?b=1"), UrlRequestCachePolicy::returnCacheDataElseLoad,
                                 kit::ZvDuration::seconds(1.5));
  EXPECT_EQ(request.url().toString().toStdString(), "https://example.com/a?b=1");
  EXPECT_EQ(request.transferTimeout(), 1500);
  EXPECT_EQ(request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(), QNetworkRequest::PreferCache);

  EXPECT_EQ(
      kit::urlRequest(url("https://example.com"), UrlRequestCachePolicy::useProtocolCachePolicy, 2s).transferTimeout(),
      2000);
  // Shorter than a millisecond still limits; no limit for spans that are not positive and finite.
  EXPECT_EQ(kit::urlRequest(url("https://example.com"), UrlRequestCachePolicy::useProtocolCachePolicy, 10us)
                .transferTimeout(),
            1);
  for (double seconds :
       {0.0, -1.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(kit::urlRequest(url("https://example.com"), UrlRequestCachePolicy::useProtocolCachePolicy,
                              kit::ZvDuration(seconds))
                  .transferTimeout(),
              0)
        << seconds;
  }

  auto control = [](UrlRequestCachePolicy policy) {
    return kit::urlRequest(url("https://example.com"), policy, 1s)
        .attribute(QNetworkRequest::CacheLoadControlAttribute)
        .toInt();
  };
  EXPECT_EQ(control(UrlRequestCachePolicy::useProtocolCachePolicy), QNetworkRequest::PreferNetwork);
  EXPECT_EQ(control(UrlRequestCachePolicy::reloadIgnoringLocalCacheData), QNetworkRequest::AlwaysNetwork);
  EXPECT_EQ(control(UrlRequestCachePolicy::reloadIgnoringLocalAndRemoteCacheData), QNetworkRequest::AlwaysNetwork);
  EXPECT_EQ(control(UrlRequestCachePolicy::returnCacheDataDontLoad), QNetworkRequest::AlwaysCache);
  EXPECT_EQ(control(UrlRequestCachePolicy::reloadRevalidatingCacheData), QNetworkRequest::PreferNetwork);
}

class UrlRequestTransfer : public ::testing::Test {
 protected:
  UrlRequestTransfer() {
    application();
    // A server on this machine that accepts connections and never answers.
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
      while (auto* connection = server.nextPendingConnection()) {
        connection->setParent(&server);
        ++connections;
      }
    });
    auto* cache = new QNetworkDiskCache(&manager);
    cache->setCacheDirectory(cacheFolder.path());
    manager.setCache(cache);
  }

  platform::Url serverUrl() const { return url("http://127.0.0.1:" + std::to_string(server.serverPort()) + "/x"); }

  QTcpServer server;
  QTemporaryDir cacheFolder;
  QNetworkAccessManager manager;
  int connections = 0;
};

TEST_F(UrlRequestTransfer, ATransferThatOutlastsItsTimeoutIsAborted) {
  // Qt's network thread and its connection to the server are made first, so that the time limit is spent waiting
  // for an answer, not on a loaded machine's start-up.
  manager.connectToHost("127.0.0.1", server.serverPort());
  QElapsedTimer accepting;
  accepting.start();
  while (connections == 0 && accepting.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_EQ(connections, 1);

  QElapsedTimer elapsed;
  elapsed.start();
  std::unique_ptr<QNetworkReply> reply(
      manager.get(kit::urlRequest(serverUrl(), UrlRequestCachePolicy::useProtocolCachePolicy, 200ms)));
  ASSERT_TRUE(waitForFinished(*reply));
  EXPECT_EQ(reply->error(), QNetworkReply::OperationCanceledError);
  EXPECT_GE(elapsed.elapsed(), 180);  // Qt's coarse timers may fire up to 5 % early
}

TEST_F(UrlRequestTransfer, ACacheOnlyRequestNeverAsksTheNetwork) {
  std::unique_ptr<QNetworkReply> reply(
      manager.get(kit::urlRequest(serverUrl(), UrlRequestCachePolicy::returnCacheDataDontLoad, 5s)));
  ASSERT_TRUE(waitForFinished(*reply));
  EXPECT_EQ(reply->error(), QNetworkReply::ContentNotFoundError);
  QCoreApplication::processEvents();
  EXPECT_EQ(connections, 0);
}

}  // namespace
