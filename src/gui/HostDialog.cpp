#include "gui/HostDialog.h"

#include "core/hosts/HostListEditor.h"
#include "core/hosts/PortPresets.h"
#include "gui/common/HostGridView.h"
#include "gui/common/MessageBox.h"
#include "gui/common/Placement.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

HostDialog::HostDialog(HostTableModel &mainHosts, const QString &folder, const EventLog &log, QWidget *parent)
    : QWidget(parent)
    , m_editor(new HostListEditor(mainHosts, folder, log, this))
{
    setObjectName(QStringLiteral("hostDialog"));
    setWindowTitle(QStringLiteral("ホスト登録"));
    // The client area is 8640 by 4620 twips.
    setFixedSize(twipsToPixels(8640), twipsToPixels(4620));

    place(new QLabel(QStringLiteral("IPアドレス"), this), "addressLabel", rectFromTwips(240, 165, 975, 255));
    m_addressEdit = place(new QLineEdit(this), "addressEdit", rectFromTwips(1200, 120, 2655, 285));
    place(new QLabel(QStringLiteral("ポート番号"), this), "portLabel", rectFromTwips(4200, 165, 975, 255));
    auto *portPresets = place(new QComboBox(this), "portPresets", rectFromTwips(5280, 120, 1575, 300));
    // The list's own text field takes typing, but only the port box supplies
    // the port. Made editable here so that its text field follows it in the
    // tab order.
    portPresets->setEditable(true);
    portPresets->setInsertPolicy(QComboBox::NoInsert);
    portPresets->addItems(PortPresets::labels());
    portPresets->setMaxVisibleItems(portPresets->count());
    portPresets->setCurrentIndex(PortPresets::placeholderIndex);
    m_portEdit = place(new QLineEdit(this), "portEdit", rectFromTwips(7050, 120, 1455, 270));
    auto *grid = place(new HostGridView(this), "hostGrid", rectFromTwips(120, 600, 8415, 3255));
    grid->setHosts(&m_editor->hosts());
    auto *addButton = place(new QPushButton(QStringLiteral("ホスト追加"), this), "addButton",
                            rectFromTwips(1920, 4080, 1570, 375));
    auto *deleteButton = place(new QPushButton(QStringLiteral("リスト削除"), this), "deleteButton",
                               rectFromTwips(3840, 4080, 1570, 375));
    auto *closeButton = place(new QPushButton(QStringLiteral("設定終了"), this), "closeButton",
                              rectFromTwips(5760, 4080, 1570, 375));

    // Tab order: address, preset list, add, delete, port box, close, grid.
    setTabOrder(m_addressEdit, portPresets);
    setTabOrder(portPresets, addButton);
    setTabOrder(addButton, deleteButton);
    setTabOrder(deleteButton, m_portEdit);
    setTabOrder(m_portEdit, closeButton);
    setTabOrder(closeButton, grid);
    m_addressEdit->setFocus();

    connect(portPresets, &QComboBox::activated, this, [this](int index) {
        if (const std::optional<QString> port = PortPresets::port(index))
            m_portEdit->setText(*port);
    });
    connect(addButton, &QPushButton::clicked, this, [this] {
        // The port box keeps its text, so that several addresses can be
        // added with the same port in a row.
        if (m_editor->add(m_addressEdit->text(), m_portEdit->text()))
            m_addressEdit->clear();
    });
    connect(deleteButton, &QPushButton::clicked, m_editor, &HostListEditor::deleteSelected);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(grid, &HostGridView::rowPicked, m_editor, &HostListEditor::select);
    connect(m_editor, &HostListEditor::userMessage, this, [this](const QString &text) { MessageBox::show(this, text); });
}
