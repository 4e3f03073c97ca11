#pragma once

#include <QLabel>

namespace mojing {

// A caption with a run of spaces in which an input field sits, such as
// "两个文件下载间隔：        秒". text() stays the whole caption; the field is a child placed
// over the gap, which widens when the field needs more room than the spaces give.
class GapLabel : public QLabel {
    Q_OBJECT
public:
    GapLabel(const QString& caption, QWidget* field, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString prefix() const;
    QString suffix() const;
    int fieldWidth() const;

    QWidget* m_field;
};

} // namespace mojing
