#include "app/screen_reader_keys.h"

#include "browser/browser_keys.h"
#include "browser/browser_window.h"

#include <QAccessible>
#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDateTime>
#include <QKeyEvent>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <deque>
#include <memory>

namespace {
// AT-SPI's device event, as the registry's NotifyListenersSync takes it.
struct DeviceEvent {
    uint type = 0; // 0 pressed, 1 released
    int id = 0;
    int hardwareCode = 0;
    int modifiers = 0;
    int timestamp = 0;
    QString text;
    bool isText = false;
};

QDBusArgument &operator<<(QDBusArgument &argument, const DeviceEvent &event)
{
    argument.beginStructure();
    argument << event.type << event.id << event.hardwareCode << event.modifiers << event.timestamp << event.text
             << event.isText;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DeviceEvent &event)
{
    argument.beginStructure();
    argument >> event.type >> event.id >> event.hardwareCode >> event.modifiers >> event.timestamp >> event.text
        >> event.isText;
    argument.endStructure();
    return argument;
}
} // namespace

Q_DECLARE_METATYPE(DeviceEvent)

namespace {
// The names AT-SPI gives keys whose text is empty or a control character, and the keypad's
// keys, which screen readers bind their commands to (say-all, flat review).
QString keyName(const QKeyEvent *key)
{
    static const QHash<int, const char *> keypad = {
        {Qt::Key_Plus, "KP_Add"}, {Qt::Key_Minus, "KP_Subtract"}, {Qt::Key_Asterisk, "KP_Multiply"},
        {Qt::Key_Slash, "KP_Divide"}, {Qt::Key_Enter, "KP_Enter"}, {Qt::Key_Period, "KP_Decimal"},
        {Qt::Key_Delete, "KP_Delete"}, {Qt::Key_Insert, "KP_Insert"}, {Qt::Key_Clear, "KP_Begin"},
        {Qt::Key_Left, "KP_Left"}, {Qt::Key_Right, "KP_Right"}, {Qt::Key_Up, "KP_Up"}, {Qt::Key_Down, "KP_Down"},
        {Qt::Key_Home, "KP_Home"}, {Qt::Key_End, "KP_End"}, {Qt::Key_PageUp, "KP_Prior"},
        {Qt::Key_PageDown, "KP_Next"}};
    if (key->modifiers() & Qt::KeypadModifier) {
        const auto found = keypad.constFind(key->key());
        if (found != keypad.constEnd())
            return QString::fromLatin1(*found);
    }
    static const QHash<int, const char *> names = {
        {Qt::Key_Tab, "Tab"}, {Qt::Key_Backtab, "Backtab"}, {Qt::Key_Control, "Control_L"},
        {Qt::Key_Shift, "Shift_L"}, {Qt::Key_Alt, "Alt_L"}, {Qt::Key_Meta, "Super_L"},
        {Qt::Key_Left, "Left"}, {Qt::Key_Right, "Right"}, {Qt::Key_Up, "Up"}, {Qt::Key_Down, "Down"},
        {Qt::Key_Return, "Return"}, {Qt::Key_Enter, "Return"}, {Qt::Key_Backspace, "BackSpace"},
        {Qt::Key_Delete, "Delete"}, {Qt::Key_PageUp, "Page_Up"}, {Qt::Key_PageDown, "Page_Down"},
        {Qt::Key_Home, "Home"}, {Qt::Key_End, "End"}, {Qt::Key_Escape, "Escape"}, {Qt::Key_Space, "space"},
        {Qt::Key_CapsLock, "Caps_Lock"}, {Qt::Key_NumLock, "Num_Lock"}, {Qt::Key_Insert, "Insert"}};
    const auto found = names.constFind(key->key());
    return found != names.constEnd() ? QString::fromLatin1(*found) : key->text();
}

DeviceEvent deviceEvent(const QKeyEvent *key)
{
    DeviceEvent event;
    event.type = key->type() == QEvent::KeyPress ? 0 : 1;
    event.id = int(key->nativeVirtualKey());
    event.hardwareCode = int(key->nativeScanCode());
    event.timestamp = int(QDateTime::currentMSecsSinceEpoch());
    event.text = keyName(key);
    event.isText = !event.text.isEmpty();
    const Qt::KeyboardModifiers mods = key->modifiers();
    // AT-SPI's modifier bits: shift 0, shift lock 1, control 2, alt 3, meta 4.
    if (mods & Qt::ShiftModifier && key->key() != Qt::Key_Shift)
        event.modifiers |= 1 << 0;
    if (key->nativeModifiers() & 0x2) // X11's lock mask
        event.modifiers |= 1 << 1;
    if (mods & Qt::ControlModifier && key->key() != Qt::Key_Control)
        event.modifiers |= 1 << 2;
    if (mods & Qt::AltModifier && key->key() != Qt::Key_Alt)
        event.modifiers |= 1 << 3;
    if (mods & Qt::MetaModifier && key->key() != Qt::Key_Meta)
        event.modifiers |= 1 << 4;
    return event;
}

class KeyQueue : public QObject {
public:
    static KeyQueue *instance()
    {
        static QPointer<KeyQueue> queue = new KeyQueue(QCoreApplication::instance());
        return queue;
    }

    bool connected() const { return m_bus.isConnected(); }

    // The reader hears of the key; the program gets it at once.
    void tell(const QKeyEvent *key) { m_bus.asyncCall(notification(key), replyTimeoutMs); }

    void take(QObject *receiver, const QKeyEvent *key)
    {
        const QDBusMessage call = notification(key);
        auto entry = std::make_shared<Entry>();
        entry->receiver = receiver;
        entry->key.reset(key->clone());
        m_keys.push_back(entry);
        // A reader that does not answer in time lets the key through rather than lose it.
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, replyTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, entry](QDBusPendingCallWatcher *w) {
            const QDBusPendingReply<bool> reply = *w;
            entry->answered = true;
            entry->consumed = reply.isValid() && reply.value();
            w->deleteLater();
            deliverAnswered();
        });
    }

private:
    static constexpr int replyTimeoutMs = 1500;

    static QDBusMessage notification(const QKeyEvent *key)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry/deviceeventcontroller"),
            QStringLiteral("org.a11y.atspi.DeviceEventController"), QStringLiteral("NotifyListenersSync"));
        call.setArguments({QVariant::fromValue(deviceEvent(key))});
        return call;
    }

    struct Entry {
        QPointer<QObject> receiver;
        std::unique_ptr<QKeyEvent> key;
        bool answered = false;
        bool consumed = false;
    };

    explicit KeyQueue(QObject *parent) : QObject(parent), m_bus(connectToAccessibilityBus())
    {
        m_pageAnswer.setSingleShot(true);
        m_pageAnswer.setInterval(pageAnswerMs);
        connect(&m_pageAnswer, &QTimer::timeout, this, [this] { pageAnswered(m_wait); });
    }

    static QDBusConnection connectToAccessibilityBus()
    {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                           QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
            QDBus::Block, 1000);
        const QString address = reply.arguments().value(0).toString();
        qDBusRegisterMetaType<DeviceEvent>();
        return QDBusConnection::connectToBus(address, QStringLiteral("quillon-screen-reader-keys"));
    }

    // In the order typed: a key answered early waits for the ones before it. While the page
    // has a key the window may yet act on (Alt+D moves the keyboard), the keys pressed after
    // it wait for the page's answer.
    void deliverAnswered()
    {
        while (!m_keys.empty() && m_keys.front()->answered) {
            const std::shared_ptr<Entry> entry = m_keys.front();
            const bool press = entry->key->type() == QEvent::KeyPress;
            if (press && m_pageAnswer.isActive())
                return;
            m_keys.pop_front();
            if (entry->consumed || !entry->receiver)
                continue;
            QCoreApplication::sendEvent(entry->receiver, entry->key.get());
            if (press)
                waitOnPage(entry->key->keyCombination());
        }
    }

    // The page hands back a key it leaves, and the window acts on it, a moment later; a later
    // key handed back says it kept this one.
    void waitOnPage(QKeyCombination key)
    {
        m_waitingOn = BrowserKeys::waitingOnPage(QApplication::focusWidget(), key);
        if (!m_waitingOn)
            return;
        ++m_wait;
        m_waitingOn->installEventFilter(this);
        m_pageAnswer.start();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
        if (watched == m_waitingOn && key && !event->spontaneous()) {
            m_waitingOn->removeEventFilter(this);
            m_waitingOn = nullptr;
            // Twice queued: after the command the window queues for the key it is handed now.
            QMetaObject::invokeMethod(this, [this, wait = m_wait] {
                QMetaObject::invokeMethod(this, [this, wait] { pageAnswered(wait); }, Qt::QueuedConnection);
            }, Qt::QueuedConnection);
        }
        return false;
    }

    void pageAnswered(int wait)
    {
        if (wait != m_wait)
            return; // an answer to an earlier wait
        ++m_wait;
        if (m_waitingOn)
            m_waitingOn->removeEventFilter(this);
        m_waitingOn = nullptr;
        m_pageAnswer.stop();
        deliverAnswered();
    }

    static constexpr int pageAnswerMs = 500; // a page that keeps the key and its release too

    QDBusConnection m_bus;
    std::deque<std::shared_ptr<Entry>> m_keys;
    QPointer<QObject> m_waitingOn;
    QTimer m_pageAnswer;
    int m_wait = 0; // which wait on the page runs
};
} // namespace

namespace ScreenReaderKeys {
bool intercept(QObject *receiver, QEvent *event)
{
    if ((event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) || !event->spontaneous()
        || !QAccessible::isActive())
        return false;
    KeyQueue *queue = KeyQueue::instance();
    if (!queue || !queue->connected())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // A modifier going down changes nothing by itself, but the window's own shortcuts (Alt+D,
    // Ctrl+L) act at once on the key that follows it: held back, an Alt would arrive after the
    // menu its shortcut opened, and close it. It is delivered now, as not spontaneous, so Qt's
    // bridge does not hold it back either: a late Alt press arms the menu bar again, and the
    // Alt release then opens it.
    static const QSet<int> modifiers = {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta, Qt::Key_AltGr};
    if (key->type() == QEvent::KeyPress && modifiers.contains(key->key())) {
        queue->tell(key);
        const std::unique_ptr<QKeyEvent> now(key->clone());
        QCoreApplication::sendEvent(receiver, now.get());
        event->setAccepted(now->isAccepted());
        return true;
    }
    queue->take(receiver, key);
    return true;
}
} // namespace ScreenReaderKeys
