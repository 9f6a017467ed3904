// Enciphers a database password for the deployment file:
//   quelmora-cipher            reads the password from standard input (the first line)
//   quelmora-cipher -          the same
//   quelmora-cipher PASSWORD
// and prints the line to put under [database] as password=... Reading from standard input keeps
// the password out of the process list.
#include "db/DeploymentSettings.h"

#include <QString>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    std::string plain;
    if (argc > 2) {
        std::cerr << "usage: quelmora-cipher [PASSWORD | -]\n";
        return 2;
    }
    if (argc == 2 && std::string(argv[1]) != "-") {
        plain = argv[1];
    } else if (!std::getline(std::cin, plain)) {
        std::cerr << "quelmora-cipher: no password given\n";
        return 2;
    }
    if (!plain.empty() && plain.back() == '\r')
        plain.pop_back();
    if (plain.empty()) {
        std::cerr << "quelmora-cipher: the password is empty\n";
        return 2;
    }
    std::cout << "password="
              << qm::db::encipherPassword(QString::fromUtf8(plain.c_str())).toStdString() << "\n";
    return 0;
}
