#include "app/converter_app.h"

int main(int argc, char** argv) {
    leafwright::ConverterApp app(argc, argv);
    return app.initInstance();
}
