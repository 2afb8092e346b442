// Put with LD_PRELOAD into the program that a test starts as users start it: every message box the program
// shows is written to the file $SORVANTA_TEST_BOXES, one line each ("caption<TAB>text", line breaks of the text
// as blanks), and then closed as Escape closes it, so the program goes on.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

namespace {

class BoxRecorder : public QObject {
public:
    explicit BoxRecorder(QString file) : m_file(std::move(file)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (!box || event->type() != QEvent::Show || box->property("recorded").toBool())
            return false;
        box->setProperty("recorded", true);
        QString text = box->text();
        text.replace(u'\n', u' ');
        QFile out(m_file);
        if (out.open(QIODevice::WriteOnly | QIODevice::Append))
            out.write((box->windowTitle() + u'\t' + text + u'\n').toUtf8());
        QTimer::singleShot(0, box, &QDialog::reject);
        return false;
    }

private:
    QString m_file;
};

void recordMessageBoxes()
{
    const QString file = qEnvironmentVariable("SORVANTA_TEST_BOXES");
    if (!file.isEmpty())
        QCoreApplication::instance()->installEventFilter(new BoxRecorder(file));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(recordMessageBoxes)
