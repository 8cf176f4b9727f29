#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

struct SeenBox {
    bool seen = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    bool yesIsDefault = false;
};

// Answers the next modal message box with `key`, noting what it showed.
class BoxAnswerer {
public:
    explicit BoxAnswerer(Qt::Key key) {
        QObject::connect(&m_poll, &QTimer::timeout, [this, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            m_poll.stop();
            m_box = {true, box->windowTitle(), box->text(), box->icon(),
                     box->defaultButton() != nullptr && box->defaultButton() == box->button(QMessageBox::Yes)};
            QTest::keyClick(box, key);
        });
        m_poll.start(10);
    }
    const SeenBox& Box() const { return m_box; }

private:
    QTimer m_poll;
    SeenBox m_box;
};
