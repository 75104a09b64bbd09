#include "platform/PostedAnnouncement.h"

#include <QMetaObject>
#include <QObject>

void PostedAnnouncement::post() {
    if (m_posted)
        return;
    m_posted = true;
    // Queued on the context, so nothing runs once the object that owns this is gone.
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            m_posted = false;
            m_announce();
        },
        Qt::QueuedConnection);
}
