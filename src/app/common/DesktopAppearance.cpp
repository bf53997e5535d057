#include "DesktopAppearance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace orvane {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

std::optional<DesktopAppearance::PortalScheme> schemeFrom(const QVariant& value) {
    // Read() wraps the value in one more variant than SettingChanged does.
    QVariant v = value;
    while (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>())
        v = v.value<QDBusVariant>().variant();
    bool ok = false;
    const uint scheme = v.toUInt(&ok);
    if (!ok || scheme > 2)
        return std::nullopt;
    return DesktopAppearance::PortalScheme(scheme);
}

} // namespace

bool DesktopAppearance::resolve(const QString& override, std::optional<PortalScheme> portal,
                                const QString& gtkTheme, double windowLightness) {
    const QString chosen = override.trimmed().toLower();
    if (chosen == QLatin1String("dark"))
        return true;
    if (chosen == QLatin1String("light"))
        return false;
    if (portal && *portal != PortalScheme::noPreference)
        return *portal == PortalScheme::dark;
    if (gtkTheme.endsWith(QLatin1String(":dark"), Qt::CaseInsensitive))
        return true;
    return windowLightness < 0.5;
}

DesktopAppearance::DesktopAppearance(QObject* parent) : QObject(parent) {
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
    QDBusConnection::sessionBus().connect(portalService, portalPath, settingsInterface,
                                          QStringLiteral("SettingChanged"), this,
                                          SLOT(onPortalSettingChanged(QString, QString, QDBusVariant)));
    reevaluate();
    askPortal();
}

void DesktopAppearance::askPortal() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage read =
        QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, QStringLiteral("Read"));
    read << appearanceGroup << colorSchemeKey;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QVariant> reply = *call;
        if (!reply.isError()) {
            portal_ = schemeFrom(reply.value());
            reevaluate();
        }
        call->deleteLater();
    });
}

void DesktopAppearance::onPortalSettingChanged(const QString& group, const QString& key,
                                               const QDBusVariant& value) {
    if (group != appearanceGroup || key != colorSchemeKey)
        return;
    portal_ = schemeFrom(value.variant());
    reevaluate();
}

bool DesktopAppearance::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qGuiApp && event->type() == QEvent::ApplicationPaletteChange)
        reevaluate();
    return QObject::eventFilter(watched, event);
}

void DesktopAppearance::reevaluate() {
    const double lightness = qGuiApp ? QGuiApplication::palette().color(QPalette::Window).lightnessF() : 1.0;
    const bool dark = resolve(qEnvironmentVariable("ORVANE_COLOR_SCHEME"), portal_,
                              qEnvironmentVariable("GTK_THEME"), lightness);
    if (dark == prefersDark_)
        return;
    prefersDark_ = dark;
    emit prefersDarkChanged();
}

} // namespace orvane
