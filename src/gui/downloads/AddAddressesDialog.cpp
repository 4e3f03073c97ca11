#include "AddAddressesDialog.h"

#include "analysis/ComboDropWidth.h"
#include "platform/FileHelpers.h"
#include "program/ProgramState.h"
#include "widgets/DesignControls.h"
#include "widgets/Icons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace mojing {

AddAddressesDialog::AddAddressesDialog(const AppContext& context, DownloadSession& session,
                                       Scheduler& scheduler, NetworkLayer& network,
                                       const QString& resolverBase, QWidget* parent)
    : QDialog(parent), m_folders(context), m_adder(session, scheduler, network) {
    setObjectName(u"fAddAddresses"_s);
    setWindowTitle(AddAddressesController::kTitle);
    setWindowIcon(Icons::programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    m_adder.setResolverBase(resolverBase);

    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(u"Text1"_s);
    m_text1->setPlaceholderText(u"10.1177/0044118X15598528\nhttps://doi.org/10.1000/xyz123\n"
                                "https://www.example.com/doi/full/10.1000/xyz123\n"
                                "https://www.example.com/files/paper.pdf"_s);
    m_text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text1->setTabChangesFocus(true);
    m_combo1 = ComboDropWidth::folderCombo(this);
    m_browse = makeNamed<QPushButton>(this, u"Command1"_s, u"..."_s);
    m_browse->setFixedWidth(36);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"ProgressBar1"_s);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(u"%v/%m"_s);
    // Hidden until there is something to count: an empty bar looks like a box to type into.
    m_progress->setVisible(false);
    m_add = makeNamed<QPushButton>(this, u"Command2"_s, u"添加"_s);
    m_add->setDefault(true);
    m_stop = makeNamed<QPushButton>(this, u"Command3"_s, u"停止"_s);
    m_stop->setEnabled(false);
    auto* close = makeNamed<QPushButton>(this, u"Command4"_s, u"关闭"_s);

    auto* grid = new QGridLayout(this);
    grid->addWidget(makeNamed<QLabel>(this, u"Label1"_s, u"网址或DOI（每行一个）："_s), 0, 0, 1, 3);
    grid->addWidget(m_text1, 1, 0, 1, 3);
    grid->addWidget(makeNamed<QLabel>(this, u"Label2"_s, u"保存到文件夹："_s), 2, 0);
    grid->addWidget(m_combo1, 2, 1);
    grid->addWidget(m_browse, 2, 2);
    grid->addWidget(m_progress, 3, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_add);
    buttons->addWidget(m_stop);
    buttons->addWidget(close);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    resize(620, 420);

    connect(m_browse, &QPushButton::clicked, this, [this] {
        m_folders.setFolderText(m_combo1->currentText());
        m_folders.browse();
        m_combo1->setEditText(m_folders.folderText());
    });
    connect(m_add, &QPushButton::clicked, this, &AddAddressesDialog::add);
    connect(m_stop, &QPushButton::clicked, this, &AddAddressesDialog::stop);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_adder, &AddAddressesController::progressChanged, this, [this](int done, int total) {
        m_progress->setRange(0, std::max(1, total));
        m_progress->setValue(done);
        m_progress->setVisible(true);
    });
    connect(&m_adder, &AddAddressesController::runningChanged, this, &AddAddressesDialog::showRunning);
    connect(&m_adder, &AddAddressesController::finished, this, [this](bool complete) {
        if (complete) {
            accept();
            return;
        }
        // What was not added stays for another try.
        m_text1->setPlainText(m_adder.text());
    });

    m_folders.open();
    m_combo1->addItems(m_folders.history());
    m_combo1->setEditText(m_folders.folderText());
    ComboDropWidth::fitComboDropWidth(*m_combo1);
}

void AddAddressesDialog::setText(const QString& text) {
    m_text1->setPlainText(text);
}

void AddAddressesDialog::add() {
    if (m_adder.isRunning())
        return;
    // The folder is taken as the save-folder dialog takes it: created, remembered, stored.
    m_folders.setFolderText(m_combo1->currentText());
    if (!m_folders.confirm()) {
        m_combo1->setEditText(m_folders.folderText());
        return;
    }
    m_adder.setText(m_text1->toPlainText());
    m_adder.add(FileHelpers::withTrailingSeparator(m_folders.folderText()));
}

void AddAddressesDialog::stop() {
    m_adder.stop();
}

void AddAddressesDialog::done(int result) {
    // Closing while adding stops; what was resolved is kept.
    m_adder.stop();
    QDialog::done(result);
}

void AddAddressesDialog::showRunning(bool running) {
    m_text1->setReadOnly(running);
    m_combo1->setEnabled(!running);
    m_browse->setEnabled(!running);
    m_add->setEnabled(!running);
    m_stop->setEnabled(running);
}

} // namespace mojing
