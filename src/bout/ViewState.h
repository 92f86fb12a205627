#pragma once

#include <QObject>

// Which of the audience window's two views is live, as the operator side sees it: the
// live-view lamp `Shape43` (white: scoreboard view live, red: presentation view live) and the
// visibility of the scoreboard view `Panel1` and presentation view `Panel2`. Only the zoom
// transition changes them; the bout navigation reads them and asks for a zoom.
class ViewState : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool lampRed() const { return m_lampRed; }
    bool panel1Visible() const { return m_panel1Visible; }
    bool panel2Visible() const { return m_panel2Visible; }

    // Written by the zoom transition when it swaps the views.
    void setPresentationLive(bool live);
    void setPanelsVisible(bool panel1, bool panel2);

    // Starts the zoom transition towards the other view (zoomdir 1, overlay shown, timer on).
    void startZoom() { emit zoomStarted(); }

signals:
    void zoomStarted();
    void changed();

private:
    bool m_lampRed = false;
    bool m_panel1Visible = true;
    bool m_panel2Visible = false;
};
