// About box and splash: see about_form.h.

#include "core/base/widget_factory.h"
#include "core/dialogs/about_form.h"

#include "core/base/window_host.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

const char* const SorvantaVersion = "1.0";

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent),
      ProductName(new QLabel(QStringLiteral("Sorvanta"), this)),
      Version(new QLabel(tr("Version %1").arg(QLatin1String(SorvantaVersion)), this)),
      OKButton(makeExplorerButton(this, "OKButton", tr("OK"), "ok"))
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(tr("About"));
    ProductName->setObjectName(QStringLiteral("ProductName"));
    Version->setObjectName(QStringLiteral("Version"));
    OKButton->setOptions(boShowBevel);   // the glyph keeps its colours
    OKButton->setShadingType(stDark);

    QFont big = ProductName->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    ProductName->setFont(big);
    ProductName->setAlignment(Qt::AlignCenter);
    Version->setAlignment(Qt::AlignCenter);
    connect(OKButton, &QAbstractButton::clicked, this, &TAboutForm::OKButtonClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 24, 40, 16);
    layout->addWidget(ProductName);
    layout->addWidget(Version);
    layout->addSpacing(12);
    layout->addWidget(OKButton, 0, Qt::AlignCenter);
    setFixedSize(sizeHint());
}

void TAboutForm::OKButtonClick()
{
    accept();
}

TAboutForm* ShowSplash()
{
    auto* splash = new TAboutForm;
    splash->OKButton->hide();
    splash->setFixedSize(splash->sizeHint());
    splash->setWindowFlags(Qt::SplashScreen);
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();
    return splash;
}

void AboutExecute(QWidget* parent)
{
    TAboutForm about(parent);
    WindowHost::requestTranslation(&about);
    about.exec();
}
