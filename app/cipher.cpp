// Enciphers a database password for the deployment file:
//   quelmora-cipher            reads the password from standard input
//   quelmora-cipher PASSWORD
// and prints the line to put under [database] as password=...
#include "db/DeploymentSettings.h"

#include <QString>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    std::string plain;
    if (argc > 1) {
        plain = argv[1];
    } else if (!std::getline(std::cin, plain)) {
        std::cerr << "quelmora-cipher: no password given\n";
        return 2;
    }
    std::cout << "password="
              << qm::db::encipherPassword(QString::fromUtf8(plain.c_str())).toStdString() << "\n";
    return 0;
}
