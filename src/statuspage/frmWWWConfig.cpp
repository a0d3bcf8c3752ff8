#include "statuspage/frmWWWConfig.h"

#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "statuspage/WwwSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{
template<typename Control>
Control *named(Control *control, const char *name, const QRect &geometry)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}
}

frmWWWConfig::frmWWWConfig(WwwSettings &workingCopies, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_workingCopies(workingCopies)
{
    setObjectName(QStringLiteral("frmWWWConfig"));
    setWindowTitle(QStringLiteral("WWW設定"));
    setFixedSize(576, 308);
    createControls();
    load();
}

void frmWWWConfig::createControls()
{
    Frame1 = named(new QGroupBox(QStringLiteral("WWWルート"), this), "Frame1", QRect(16, 12, 544, 232));

    WWWEnable = named(new QCheckBox(QStringLiteral("WWWページの作成"), Frame1), "WWWEnable",
                      QRect(24, 36, 220, 24));
    Label3 = named(new QLabel(QStringLiteral("ページタイプ"), Frame1), "Label3", QRect(296, 38, 96, 20));
    // The page type is shown but nothing reads, stores or reacts to it.
    Combo1 = named(new QComboBox(Frame1), "Combo1", QRect(396, 36, 124, 24));
    Combo1->addItem(QStringLiteral("Iモード"));

    Label2 = named(new QLabel(QStringLiteral("ページ名"), Frame1), "Label2", QRect(24, 102, 90, 20));
    Text1 = named(new QLineEdit(WwwSettings::defaultPage(), Frame1), "Text1", QRect(120, 100, 220, 24));

    Label1 = named(new QLabel(QStringLiteral("WWWルート"), Frame1), "Label1", QRect(24, 166, 90, 20));
    Text2 = named(new QLineEdit(WwwSettings::defaultFolder(), Frame1), "Text2", QRect(120, 164, 320, 24));
    Command2 = named(new QPushButton(QStringLiteral("参照"), Frame1), "Command2", QRect(452, 163, 68, 26));

    Command1 = named(new QPushButton(QStringLiteral("設定終了"), this), "Command1", QRect(238, 260, 100, 30));

    connect(Text1, &QLineEdit::textChanged, this, &frmWWWConfig::storeFields);
    connect(Text2, &QLineEdit::textChanged, this, &frmWWWConfig::storeFields);
    connect(WWWEnable, &QCheckBox::clicked, this, &frmWWWConfig::WWWEnableClicked);
    connect(Command2, &QPushButton::clicked, this, &frmWWWConfig::Command2Clicked);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
}

void frmWWWConfig::load()
{
    // Filling the controls must not store anything.
    m_loading = true;
    Text1->setText(WwwSettings::storedPage());
    Text2->setText(WwwSettings::storedFolder());
    m_workingCopies.wwwEnabled = WwwSettings::storedEnabled();
    WWWEnable->setChecked(m_workingCopies.wwwEnabled == QLatin1String("True"));
    m_loading = false;
}

// Every keystroke in either field stores both.
void frmWWWConfig::storeFields()
{
    if (m_loading)
        return;
    WwwSettings::storeFolder(Text2->text());
    WwwSettings::storePage(Text1->text());
}

void frmWWWConfig::WWWEnableClicked()
{
    if (m_loading)
        return;
    WwwSettings::storeEnabled(WWWEnable->isChecked());
}

void frmWWWConfig::Command2Clicked()
{
    FileDialog::chooseFile(this, [this](const QString &chosenFile) { applyChosenFile(chosenFile); });
}

// A file is chosen only to point at its folder: the folder text is every
// piece of the path but the last, each followed by the separator, so
// /var/www/html/index.html gives /var/www/html/ and /x.txt gives /.
void frmWWWConfig::applyChosenFile(const QString &chosenFile)
{
    if (!chosenFile.isEmpty())
        m_chosenFile = chosenFile;
    const QChar separator = QDir::separator();
    const QStringList pieces = QDir::toNativeSeparators(m_chosenFile).split(separator);
    QString folder;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        folder += pieces.at(i) + separator;

    if (folder.isEmpty()) {
        MessageBox::show(this, QStringLiteral("何かファイルを選んでください。"));
        return;
    }
    Text2->setText(folder);
    WwwSettings::storeEnabled(WWWEnable->isChecked());
    storeFields();
    update();
}
