#include "hostconfig/frmHostConfig.h"

#include "hostconfig/PortPresets.h"
#include "platform/HostGrid.h"
#include "platform/Twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace
{
// The client area is 8640 by 4620 twips.
constexpr int clientWidthTwips = 8640;
constexpr int clientHeightTwips = 4620;

template<typename Control>
Control *place(Control *control, const char *name, QRect geometry)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}
}

frmHostConfig::frmHostConfig(HostGrid *mainGrid, const QString &programFolder,
                             HostListEditor::LogFunction logEvent, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHostConfig"));
    setWindowTitle(QStringLiteral("ホスト登録"));
    setFixedSize(twipsToPixels(clientWidthTwips), twipsToPixels(clientHeightTwips));
    createControls();
    m_editor = std::make_unique<HostListEditor>(*grdHotGrid, mainGrid, programFolder, std::move(logEvent), this);

    cbxPortSel->addItems(PortPresets::labels());
    cbxPortSel->setCurrentIndex(PortPresets::placeholderIndex);
    setUpGrid();
    m_editor->LoadHostList();
}

frmHostConfig::~frmHostConfig() = default;

void frmHostConfig::createControls()
{
    Label2 = place(new QLabel(QStringLiteral("IPアドレス"), this), "Label2", rectFromTwips(240, 165, 975, 255));
    txtIpAddress = place(new QLineEdit(this), "txtIpAddress", rectFromTwips(1200, 120, 2655, 285));
    Label1 = place(new QLabel(QStringLiteral("ポート番号"), this), "Label1", rectFromTwips(4200, 165, 975, 255));
    cbxPortSel = place(new QComboBox(this), "cbxPortSel", rectFromTwips(5280, 120, 1575, 300));
    // The list's own text field takes typing, but only the port box supplies
    // the port. Made editable here so that its text field follows it in the
    // tab order.
    cbxPortSel->setEditable(true);
    cbxPortSel->setInsertPolicy(QComboBox::NoInsert);
    PortNo = place(new QLineEdit(this), "PortNo", rectFromTwips(7050, 120, 1455, 270));
    grdHotGrid = place(new HostGrid(this), "grdHotGrid", rectFromTwips(120, 600, 8415, 3255));
    cmdAdd = place(new QPushButton(QStringLiteral("ホスト追加"), this), "cmdAdd", rectFromTwips(1920, 4080, 1570, 375));
    cmdDelete = place(new QPushButton(QStringLiteral("リスト削除"), this), "cmdDelete", rectFromTwips(3840, 4080, 1570, 375));
    Command1 = place(new QPushButton(QStringLiteral("設定終了"), this), "Command1", rectFromTwips(5760, 4080, 1570, 375));

    cbxPortSel->setMaxVisibleItems(PortPresets::labels().size());

    // The grid takes the keyboard through its table.
    grdHotGrid->setFocusProxy(grdHotGrid->table());

    // Tab order: address, preset list, add, delete, port box, close, grid.
    setTabOrder(txtIpAddress, cbxPortSel);
    setTabOrder(cbxPortSel, cmdAdd);
    setTabOrder(cmdAdd, cmdDelete);
    setTabOrder(cmdDelete, PortNo);
    setTabOrder(PortNo, Command1);
    setTabOrder(Command1, grdHotGrid);
    txtIpAddress->setFocus();

    connect(cbxPortSel, &QComboBox::activated, this, &frmHostConfig::cbxPortSelClicked);
    connect(cmdAdd, &QPushButton::clicked, this, &frmHostConfig::cmdAddClicked);
    connect(cmdDelete, &QPushButton::clicked, this, &frmHostConfig::cmdDeleteClicked);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    connect(grdHotGrid, &HostGrid::clicked, this, [this] { m_editor->rowClicked(); });
}

void frmHostConfig::setUpGrid()
{
    setUpHostColumns(*grdHotGrid);
}

void frmHostConfig::cbxPortSelClicked(int index)
{
    if (const std::optional<QString> port = PortPresets::port(index))
        PortNo->setText(*port);
}

void frmHostConfig::cmdAddClicked()
{
    if (m_editor->add(txtIpAddress->text(), PortNo->text()))
        txtIpAddress->clear();
}

void frmHostConfig::cmdDeleteClicked()
{
    m_editor->deleteSelected();
}
