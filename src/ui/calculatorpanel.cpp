#include "ui/calculatorpanel.h"

#include "level/calculator.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui_mainwindow.h"

namespace {
void show(MainWindow *window, const Calculator::Reply &reply)
{
    Prompt *prompt = window->services().prompt;
    if (reply.icon == Calculator::Reply::Icon::Warning)
        prompt->warn(window, reply.text);
    else
        prompt->inform(window, reply.text);
}
} // namespace

CalculatorPanel::CalculatorPanel(MainWindow *window) : QObject(window), m_window(window)
{
    Ui::MainWindow *form = window->form();
    connect(form->Command2, &QPushButton::clicked, this, &CalculatorPanel::onCommand2Clicked);
    connect(form->Command3, &QPushButton::clicked, this, &CalculatorPanel::onCommand3Clicked);
}

void CalculatorPanel::onCommand2Clicked()
{
    show(m_window, Calculator::answerPointsToLevel(m_window->form()->Text3->text()));
}

void CalculatorPanel::onCommand3Clicked()
{
    show(m_window, Calculator::answerLevelToPoints(m_window->form()->Text4->text()));
}
