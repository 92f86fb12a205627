#include "ViewState.h"

void ViewState::setPresentationLive(bool live)
{
    if (m_lampRed == live)
        return;
    m_lampRed = live;
    emit changed();
}

void ViewState::setPanelsVisible(bool panel1, bool panel2)
{
    if (m_panel1Visible == panel1 && m_panel2Visible == panel2)
        return;
    m_panel1Visible = panel1;
    m_panel2Visible = panel2;
    emit changed();
}
