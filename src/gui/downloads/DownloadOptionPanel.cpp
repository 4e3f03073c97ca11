#include "DownloadOptionPanel.h"

#include "analysis/ComboDropWidth.h"
#include "downloads/DownloadSession.h"
#include "downloads/DownloadSettings.h"
#include "widgets/DesignControls.h"
#include "widgets/GapLabel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

QComboBox* makeCombo(QWidget* parent, const QString& name, int first, int last) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (int i = first; i <= last; ++i)
        combo->addItem(QString::number(i));
    return combo;
}

// The running indicator: a small green lamp.
class Indicator : public QWidget {
public:
    explicit Indicator(QWidget* parent) : QWidget(parent) {
        setObjectName(u"Shape1"_s);
        setFixedSize(16, 16);
        setToolTip(u"正在下载"_s);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(20, 110, 40));
        p.setBrush(QColor(40, 200, 80));
        p.drawEllipse(QRectF(1.5, 1.5, width() - 3, height() - 3));
    }
};

} // namespace

DownloadOptionPanel::DownloadOptionPanel(DownloadSession& session, QWidget* parent)
    : QWidget(parent), m_session(session) {
    setObjectName(u"Picture3"_s);
    build();
    connectControls();
    m_combo4->setCurrentIndex(0);
    ComboDropWidth::fitComboDropWidth(*m_combo4);
}

// The panel's background picture (Image1), stretched over the whole panel.
void DownloadOptionPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(236, 244, 252));
    g.setColorAt(1, QColor(208, 224, 242));
    p.fillRect(rect(), g);
    p.setPen(QColor(170, 190, 215));
    p.drawLine(0, height() - 1, width(), height() - 1);
}

void DownloadOptionPanel::build() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);

    // First row: method, slots, pause, duplicate names.
    auto* row1 = new QHBoxLayout;
    m_label7 = makeNamed<QLabel>(this, u"Label7"_s, DownloadSettings::methodLabel(2));
    // Captions and the lamp change while the window works; the panel's size must not (the
    // window would grow and the rows of options move).
    const QFontMetrics metrics = m_label7->fontMetrics();
    m_label7->setFixedWidth(std::max(metrics.horizontalAdvance(DownloadSettings::methodLabel(1)),
                                     metrics.horizontalAdvance(DownloadSettings::methodLabel(2))));
    auto* command26 = makeNamed<QPushButton>(this, u"Command26"_s, u"切换"_s);
    command26->setToolTip(u"更改下载方式"_s);
    connect(command26, &QPushButton::clicked, this, [this] {
        DownloadSettings::switchMethod(m_session.options());
        showOptions();
    });
    row1->addWidget(m_label7);
    row1->addWidget(command26);
    row1->addSpacing(12);
    row1->addWidget(makeNamed<QLabel>(this, u"Label8"_s, u"线程数："_s));
    m_combo1 = makeCombo(this, u"Combo1"_s, 1, DownloadSettings::kMaxSlots);
    row1->addWidget(m_combo1);
    row1->addSpacing(12);
    m_combo2 = makeCombo(this, u"Combo2"_s, 0, DownloadSettings::kMaxPauseSeconds);
    m_combo2->setMaxVisibleItems(20);
    auto* label9 = new GapLabel(u"两个文件下载间隔：        秒"_s, m_combo2, this);
    label9->setObjectName(u"Label9"_s);
    row1->addWidget(label9);
    row1->addSpacing(12);
    row1->addWidget(makeNamed<QLabel>(this, u"Label10"_s, u"同名文件："_s));
    auto* group = new QButtonGroup(this);
    const QString captions[3] = {u"跳过"_s, u"覆盖"_s, u"重命名"_s};
    for (int i = 0; i < 3; ++i) {
        m_option[i] = new QRadioButton(captions[i], this);
        m_option[i]->setObjectName(u"Option"_s + QString::number(i + 1));
        group->addButton(m_option[i], i);
        row1->addWidget(m_option[i]);
    }
    row1->addStretch(1);

    // Second row: the automatic options.
    auto* row2 = new QHBoxLayout;
    m_check3 = makeNamed<QCheckBox>(this, u"Check3"_s, u"自动重新下载："_s);
    m_combo4 = new QComboBox(this);
    m_combo4->setObjectName(u"Combo4"_s);
    m_combo4->addItems({u"出错项"_s, u"文件类型为HTM和HTML项"_s, u"出错项和文件类型为HTM和HTML项"_s});
    m_combo4->setMinimumContentsLength(8);
    m_check4 = makeNamed<QCheckBox>(this, u"Check4"_s, u"当有待下载项时，自动启动下载"_s);
    m_check5 = makeNamed<QCheckBox>(this, u"Check5"_s, u"有5个以上下载出错或者网页文件，就停止下载"_s);
    m_check6 = makeNamed<QCheckBox>(this, u"Check6"_s, u"声音提示"_s);
    for (QWidget* w : {static_cast<QWidget*>(m_check3), static_cast<QWidget*>(m_combo4)})
        row2->addWidget(w);
    for (QCheckBox* box : {m_check4, m_check5, m_check6}) {
        row2->addSpacing(12);
        row2->addWidget(box);
    }
    row2->addStretch(1);

    // Right: start, stop, the running lamp and the row count.
    auto* right = new QHBoxLayout;
    m_shape1 = new Indicator(this);
    QSizePolicy lamp = m_shape1->sizePolicy();
    lamp.setRetainSizeWhenHidden(true);
    m_shape1->setSizePolicy(lamp);
    m_shape1->hide();
    m_label1 = makeNamed<QLabel>(this, u"Label1"_s, u"0条"_s);
    // Room for seven digits.
    m_label1->setFixedWidth(std::max(60, metrics.horizontalAdvance(u"0000000条"_s)));
    right->addWidget(m_shape1);
    right->addWidget(makeNamed<QPushButton>(this, u"Command4"_s, u"开始下载"_s));
    right->addWidget(makeNamed<QPushButton>(this, u"Command31"_s, u"停止下载"_s));
    right->addWidget(makeNamed<QPushButton>(this, u"Command1"_s, u"网页登录"_s));
    right->addWidget(m_label1);

    grid->addLayout(row1, 0, 0);
    grid->addLayout(row2, 1, 0);
    grid->addLayout(right, 0, 1, 2, 1, Qt::AlignVCenter);
    grid->setColumnStretch(0, 1);
}

void DownloadOptionPanel::connectControls() {
    // A change the user makes goes into the options; showOptions() itself changes nothing.
    auto guarded = [this](auto&& apply) {
        return [this, apply](auto&&... args) {
            if (!m_showing)
                apply(m_session.options(), args...);
        };
    };
    connect(m_combo1, &QComboBox::currentIndexChanged, this,
            guarded([](DownloadOptions& o, int index) { o.slotCount = std::max(1, index + 1); }));
    connect(m_combo2, &QComboBox::currentIndexChanged, this,
            guarded([](DownloadOptions& o, int index) { o.pauseSeconds = std::max(0, index); }));
    for (int i = 0; i < 3; ++i) {
        const DuplicatePolicy policy = DuplicatePolicy(i);
        connect(m_option[i], &QRadioButton::toggled, this, guarded([policy](DownloadOptions& o, bool on) {
                    if (on)
                        o.policy = policy;
                }));
    }
    connect(m_check3, &QCheckBox::toggled, this,
            guarded([](DownloadOptions& o, bool on) { o.autoRetry = on; }));
    connect(m_combo4, &QComboBox::currentIndexChanged, this,
            guarded([](DownloadOptions& o, int index) { o.autoRetryMode = std::max(0, index); }));
    connect(m_check4, &QCheckBox::toggled, this,
            guarded([](DownloadOptions& o, bool on) { o.autoStart = on; }));
    connect(m_check5, &QCheckBox::toggled, this,
            guarded([](DownloadOptions& o, bool on) { o.stopRule = on; }));
    connect(m_check6, &QCheckBox::toggled, this, guarded([](DownloadOptions& o, bool on) { o.sound = on; }));
}

void DownloadOptionPanel::showOptions() {
    const DownloadOptions& o = m_session.options();
    m_showing = true;
    m_label7->setText(DownloadSettings::methodLabel(o.method));
    m_combo1->setEnabled(!o.usesMethod1());
    m_combo1->setCurrentIndex(std::clamp(o.slotCount, 1, DownloadSettings::kMaxSlots) - 1);
    m_combo2->setCurrentIndex(std::clamp(o.pauseSeconds, 0, DownloadSettings::kMaxPauseSeconds));
    m_option[int(o.policy)]->setChecked(true);
    m_check3->setChecked(o.autoRetry);
    m_combo4->setCurrentIndex(std::clamp(o.autoRetryMode, 0, 2));
    m_check4->setChecked(o.autoStart);
    m_check5->setChecked(o.stopRule);
    m_check6->setChecked(o.sound);
    m_showing = false;
}

void DownloadOptionPanel::setIndicator(bool visible) {
    m_shape1->setVisible(visible);
}

void DownloadOptionPanel::setRowCountText(const QString& text) {
    m_label1->setText(text);
}

} // namespace mojing
