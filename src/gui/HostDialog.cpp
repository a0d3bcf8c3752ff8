#include "gui/HostDialog.h"

#include "core/hosts/HostListEditor.h"
#include "core/hosts/PortPresets.h"
#include "gui/common/DesignLayout.h"
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
    createControls();
    // The client area is 8640 by 4620 twips; a larger window gives the grid the room.
    auto *layout = new DesignLayout(this, QSize(twipsToPixels(8640), twipsToPixels(4620)));
    layout->anchor(m_grid, DesignLayout::Wider | DesignLayout::Taller);
    for (QWidget *button : {m_addButton, m_deleteButton, m_closeButton})
        layout->anchor(button, DesignLayout::MoveDown);
    layout->activate();
    resize(layout->sizeHint());
    bindControls();
}

void HostDialog::createControls()
{
    place(new QLabel(QStringLiteral("IPアドレス"), this), "addressLabel", rectFromTwips(240, 165, 975, 255));
    m_addressEdit = place(new QLineEdit(this), "addressEdit", rectFromTwips(1200, 120, 2655, 285));
    place(new QLabel(QStringLiteral("ポート番号"), this), "portLabel", rectFromTwips(4200, 165, 975, 255));
    m_portPresets = place(new QComboBox(this), "portPresets", rectFromTwips(5280, 120, 1575, 300));
    // The list's own text field takes typing, but only the port box supplies
    // the port. Made editable here so that its text field follows it in the
    // tab order.
    m_portPresets->setEditable(true);
    m_portPresets->setInsertPolicy(QComboBox::NoInsert);
    m_portPresets->addItems(PortPresets::labels());
    m_portPresets->setMaxVisibleItems(m_portPresets->count());
    m_portPresets->setCurrentIndex(PortPresets::placeholderIndex);
    m_portEdit = place(new QLineEdit(this), "portEdit", rectFromTwips(7050, 120, 1455, 270));
    m_grid = place(new HostGridView(this), "hostGrid", rectFromTwips(120, 600, 8415, 3255));
    m_grid->setHosts(&m_editor->hosts());
    m_addButton =
        place(new QPushButton(QStringLiteral("ホスト追加"), this), "addButton", rectFromTwips(1920, 4080, 1570, 375));
    m_deleteButton = place(new QPushButton(QStringLiteral("リスト削除"), this), "deleteButton",
                           rectFromTwips(3840, 4080, 1570, 375));
    m_closeButton =
        place(new QPushButton(QStringLiteral("設定終了"), this), "closeButton", rectFromTwips(5760, 4080, 1570, 375));

    // Tab order: address, preset list, add, delete, port box, close, grid.
    setTabOrder(m_addressEdit, m_portPresets);
    setTabOrder(m_portPresets, m_addButton);
    setTabOrder(m_addButton, m_deleteButton);
    setTabOrder(m_deleteButton, m_portEdit);
    setTabOrder(m_portEdit, m_closeButton);
    setTabOrder(m_closeButton, m_grid);
    m_addressEdit->setFocus();
}

void HostDialog::bindControls()
{
    connect(m_portPresets, &QComboBox::activated, this, [this](int index) {
        if (const std::optional<QString> port = PortPresets::port(index))
            m_portEdit->setText(*port);
    });
    connect(m_addButton, &QPushButton::clicked, this, [this] {
        // The port box keeps its text, so that several addresses can be
        // added with the same port in a row.
        if (!m_editor->add(m_addressEdit->text(), m_portEdit->text()))
            return;
        m_addressEdit->clear();
        // The new row, the last, in view once the grid has laid it out.
        QMetaObject::invokeMethod(m_grid, &QAbstractItemView::scrollToBottom, Qt::QueuedConnection);
    });
    connect(m_deleteButton, &QPushButton::clicked, m_editor, &HostListEditor::deleteSelected);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_grid, &HostGridView::rowPicked, m_editor, &HostListEditor::select);
    connect(m_editor, &HostListEditor::userMessage, this,
            [this](const QString &text) { MessageBox::show(this, text); });
}
