// Keeps the windows that widgets draw through off the screen readers' list of frames. The HTML page's view
// renders the page into a scene window of its own that is never put on the screen (titled "Offscreen"), and
// Qt lists every top-level window to screen readers, so an empty frame of that name stood beside the program's
// windows. Qt leaves popups out of that list; a window that is never shown has no other use for its type, so
// such a window is typed as a popup. Installed once on the application, the hider looks again whenever a
// widget gains a child, when the event loop is next free (the scene window is made after its widget).
#pragma once

#include <QObject>

class RenderWindowHider : public QObject {
    Q_OBJECT

public:
    // Installs the hider on the application; parent owns it.
    explicit RenderWindowHider(QObject* parent);

    // Retypes every scene window that was never put on the screen now.
    static void hideRenderWindows();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_lookPending = false;
};
