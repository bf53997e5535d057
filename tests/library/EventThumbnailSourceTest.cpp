#include "EventThumbnailSource.h"

#include <QUrl>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

TeslaClipEvent event(const QString& folder) {
    TeslaClipEvent e;
    e.folderURL = folder;
    e.startTime = 1714558800.25;
    return e;
}

TEST(EventThumbnailSourceTest, RoundTripKeepsWhatTheLoaderReads) {
    std::vector<TeslaClipEvent> events;
    events.push_back(event(QStringLiteral("/media/u/TESLA/TeslaCam/SavedClips/2024-05-01_10-20-30")));
    TeslaClipEvent session = event(QStringLiteral("/media/u/TESLA/TeslaCam/RecentClips"));
    session.isContinuousSession = true;
    session.endTime = 1714559400.5;
    events.push_back(session);
    TeslaClipEvent imported = event(QStringLiteral("/home/李/行车 记录#1?/100%&x=y"));
    imported.sourceFileURL = QStringLiteral("/home/李/行车 记录#1?/100%&x=y/a+b 视频.mp4");
    events.push_back(imported);
    events.push_back(event(QString())); // a folder-less event still names itself
    TeslaClipEvent ancient = event(QStringLiteral("/x"));
    ancient.startTime = distantPast;
    events.push_back(ancient);

    for (const TeslaClipEvent& original : events) {
        const QString url = EventThumbnailSource::url(original);
        ASSERT_TRUE(url.startsWith(QStringLiteral("image://eventthumb/"))) << url.toStdString();
        // What QML hands an image provider: the URL's path after the host, decoded as QML does.
        const QUrl parsed(url);
        ASSERT_TRUE(parsed.isValid());
        EXPECT_EQ(parsed.host(), QStringLiteral("eventthumb"));
        const QString id = parsed.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1);
        for (const QString& form : {url, id}) {
            const std::optional<TeslaClipEvent> back = EventThumbnailSource::parse(form);
            ASSERT_TRUE(back) << form.toStdString();
            EXPECT_EQ(back->folderURL, original.folderURL);
            EXPECT_EQ(back->sourceFileURL, original.sourceFileURL);
            EXPECT_EQ(back->startTime, original.startTime);
            EXPECT_EQ(back->endTime, original.endTime);
            EXPECT_EQ(back->isContinuousSession, original.isContinuousSession);
        }
    }
    // Different windows of the same folder are different pictures (and cache entries).
    TeslaClipEvent later = session;
    later.startTime += 60;
    EXPECT_NE(EventThumbnailSource::url(session), EventThumbnailSource::url(later));
}

TEST(EventThumbnailSourceTest, AnythingElseIsRejected) {
    const QString valid = EventThumbnailSource::url(event(QStringLiteral("/a")));
    const QString payload = valid.mid(valid.lastIndexOf(QLatin1Char('/')) + 1);
    const QStringList bad = {
        QString(),
        QStringLiteral("v1/"),
        QStringLiteral("v2/") + payload,
        QStringLiteral("image://other/v1/") + payload,
        QStringLiteral("v1/") + payload.left(payload.size() - 3),
        QStringLiteral("v1/!!!"),
        QStringLiteral("v1/") +
            QString::fromLatin1(QByteArray("[1,2]").toBase64(QByteArray::Base64UrlEncoding)),
        QStringLiteral("v1/") +
            QString::fromLatin1(QByteArray(R"({"d":5,"s":1})").toBase64(QByteArray::Base64UrlEncoding)),
        QStringLiteral("v1/") +
            QString::fromLatin1(QByteArray(R"({"d":"/a"})").toBase64(QByteArray::Base64UrlEncoding)),
        QStringLiteral("v1/") +
            QString::fromLatin1(
                QByteArray(R"({"d":"/a","s":1,"f":3})").toBase64(QByteArray::Base64UrlEncoding)),
    };
    for (const QString& text : bad)
        EXPECT_FALSE(EventThumbnailSource::parse(text)) << text.toStdString();
}

} // namespace
