#include "gui/StatusPageDialog.h"

#include "core/base/SettingsStore.h"
#include "core/statuspage/StatusPageSettings.h"
#include "gui/common/FileDialog.h"
#include "gui/common/Placement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

StatusPageDialog::StatusPageDialog(StatusPageSettings &workingCopies, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("statusPageDialog"));
    setWindowTitle(QStringLiteral("WWW設定"));
    setFixedSize(576, 308);

    auto *frame = place(new QGroupBox(QStringLiteral("WWWルート"), this), "frame", QRect(16, 12, 544, 232));
    m_enabledCheck =
        place(new QCheckBox(QStringLiteral("WWWページの作成"), frame), "enabledCheck", QRect(24, 36, 220, 24));
    place(new QLabel(QStringLiteral("ページタイプ"), frame), "pageTypeLabel", QRect(296, 38, 96, 20));
    // The page type is shown but nothing reads, stores or reacts to it.
    place(new QComboBox(frame), "pageTypeCombo", QRect(396, 36, 124, 24))->addItem(QStringLiteral("Iモード"));
    place(new QLabel(QStringLiteral("ページ名"), frame), "pageLabel", QRect(24, 102, 90, 20));
    m_pageEdit = place(new QLineEdit(frame), "pageEdit", QRect(120, 100, 220, 24));
    place(new QLabel(QStringLiteral("WWWルート"), frame), "folderLabel", QRect(24, 166, 90, 20));
    m_folderEdit = place(new QLineEdit(frame), "folderEdit", QRect(120, 164, 320, 24));
    auto *browseButton = place(new QPushButton(QStringLiteral("参照"), frame), "browseButton", QRect(452, 163, 68, 26));
    auto *closeButton =
        place(new QPushButton(QStringLiteral("設定終了"), this), "closeButton", QRect(238, 260, 100, 30));

    // Filled before the handlers are bound: opening stores nothing.
    m_pageEdit->setText(SettingsStore::text(Setting::PageName));
    m_folderEdit->setText(SettingsStore::text(Setting::PageFolder));
    m_enabledCheck->setChecked(workingCopies.reloadEnabled());

    // Every keystroke in either field stores both.
    connect(m_pageEdit, &QLineEdit::textChanged, this, &StatusPageDialog::storeTexts);
    connect(m_folderEdit, &QLineEdit::textChanged, this, &StatusPageDialog::storeTexts);
    connect(m_enabledCheck, &QCheckBox::clicked, this, [](bool on) { SettingsStore::setOn(Setting::PageEnabled, on); });
    connect(browseButton, &QPushButton::clicked, this, &StatusPageDialog::browse);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void StatusPageDialog::browse()
{
    FileDialog::chooseFolder(this, m_folderEdit->text(), [this](const QString &folder) {
        if (folder.isEmpty())
            return;   // a cancel changes nothing
        m_folderEdit->setText(QDir::toNativeSeparators(folder));
        SettingsStore::setOn(Setting::PageEnabled, m_enabledCheck->isChecked());
        storeTexts();
    });
}

void StatusPageDialog::storeTexts()
{
    SettingsStore::setText(Setting::PageFolder, m_folderEdit->text());
    SettingsStore::setText(Setting::PageName, m_pageEdit->text());
}
