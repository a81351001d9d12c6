// The real start-up on the fake machine, with the front end built where the
// program builds it, and the main window shown.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTableView>
#include <memory>
#include <optional>

#include "qt/windowbuilder.h"
#include "ui/testenv.h"

namespace testenv {

struct ShownWindow : ::testing::Test {
    Env env;
    std::unique_ptr<Session> run;
    std::optional<orvelin::qt::WindowBuilder> builder;
    ui::TForm1* f = nullptr;

    void start() {
        run = std::make_unique<Session>(env);
        run->program.OnFormsCreated = [this](ui::TProgram& p) {
            builder.emplace(*p.Form1);
            builder->build();
        };
        ASSERT_EQ(run->start(), ui::TProgram::TStartResult::Run);
        f = &run->form();
        f->Show();
        QApplication::processEvents();
    }
    QTableView* grid() { return builder->widgetAs<QTableView>(f->StringGrid1); }
};

}  // namespace testenv
