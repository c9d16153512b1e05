#include "controls/guiinterface.h"

#include "controls/messagebox.h"
#include "controls/wait.h"

#include <QApplication>

GuiInterface::~GuiInterface()
{
    delete m_wait;
}

QWidget* GuiInterface::owner() const
{
    if (QWidget* active = QApplication::activeModalWidget())
        return active;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return m_main;
}

int GuiInterface::showMessage(const QString& text, const QString& caption, int buttons, int alignment)
{
    CMessageBox box(text, caption, buttons, alignment, owner());
    return box.exec();
}

void GuiInterface::progressOpen(const QString& caption, int minimum, int maximum)
{
    if (m_depth++ == 0 || !m_wait) {
        delete m_wait;
        m_wait = new CWait(owner(), caption);
        m_wait->setRange(minimum, maximum);
        m_wait->setPosition(minimum);
        m_wait->show();
        m_wait->raise();
        m_wait->setPosition(minimum);
        return;
    }
    m_wait->setCaption(caption);
    m_wait->setRange(minimum, maximum);
}

void GuiInterface::progressCaption(const QString& caption)
{
    if (m_wait)
        m_wait->setCaption(caption);
}

void GuiInterface::progressRange(int minimum, int maximum)
{
    if (m_wait)
        m_wait->setRange(minimum, maximum);
}

void GuiInterface::progressPosition(int position)
{
    if (m_wait)
        m_wait->setPosition(position);
}

void GuiInterface::progressClose()
{
    if (m_depth > 0)
        --m_depth;
    if (m_depth == 0 && m_wait) {
        m_wait->hide();
        m_wait->deleteLater();
        m_wait = nullptr;
    }
}
