// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

class QLabel;

namespace kv::ui {

class ClickableLabel;
class Twips;

// The status bar: keyed panels "COMStatus" (port), "MCUtypes" (model), "FLASH"
// and "EEPROM" (image sizes), with the two connection pictures stacked over the
// left end of the port panel. A click on either picture asks for the port toggle.
class StatusPanels : public QWidget {
    Q_OBJECT
public:
    StatusPanels(const Twips& twips, QWidget* parent = nullptr);

    static QStringList panelKeys();
    QLabel* panel(const QString& key) const { return m_panels.value(key); }
    void setPanelText(const QString& key, const QString& text);
    QString panelText(const QString& key) const;

    // Brings PicConnected (true) or PicNotConnected (false) to the front.
    void showConnected(bool connected);
    bool connectedInFront() const { return m_connectedInFront; }
    ClickableLabel* picConnected() const { return m_picConnected; }
    ClickableLabel* picNotConnected() const { return m_picNotConnected; }

Q_SIGNALS:
    void pictureClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int m_lastWidth = 0;
    int m_designWidth = 0;
    int m_indent = 0;  // of every panel's text
    QHash<QString, QLabel*> m_panels;
    ClickableLabel* m_picConnected;
    ClickableLabel* m_picNotConnected;
    bool m_connectedInFront = false;
};

}  // namespace kv::ui
