#include "kolvaroapplication.h"
#include "tkalender.h"
#include "tmain.h"

int main(int argc, char** argv) {
    KolvaroApplication application(argc, argv);
    application.LoadQtTranslations();

    TMain Main;
    TKalender Kalender(&Main);
    Main.SetKalender(&Kalender);
    Main.show();
    return application.exec();
}
