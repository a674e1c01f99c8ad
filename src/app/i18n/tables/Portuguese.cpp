#include "BuildConfig.h"
#include "app/i18n/LanguageTable.h"

namespace {

// The Portuguese texts, by id in the English table's order. Ids 40 and 41 come
// twice, first with the English text and then with the Portuguese one, which
// replaces it.
const LanguageEntry kEntries[] = {
    {0, "Instalaçăo"},
    {1, "Personalizar"},
    {2, "Aceito"},
    {3, "Contrato de Licença do Usuário"},
    {4, "Criar um atalho na área de trabalho"},
    {5, "Criar um atalho no menu Iniciar"},
    {6, "Executar automaticamente ao iniciar o sistema"},
    {7, "Participar"},
    {8, "Programa de Melhoria da Experiência do Usuário"},
    {9, "Iniciar __PRODUCT_NAME__"},
    {10, "Tem certeza de que deseja sair da instalação do __PRODUCT_NAME__?"},
    {11, "OK"},
    {12, "Cancelar"},
    {13, "Não é possível continuar a instalação porque o __PRODUCT_NAME__ já está em execução. Feche-o para tentar novamente ou force o fechamento."},
    {14, "Tentar novamente"},
    {15, "Forçar fechamento"},
    {16, "Criar um ícone de Inicialização Rápida"},
    {17, "Selecione uma pasta na lista abaixo e clique em OK."},
    {18, "Novidades"},
    {19, "Sim"},
    {20, "Não"},
    {21, "Instalando..."},
    {22, "Tem certeza de que deseja desinstalar?"},
    {23, "Desinstalar"},
    {24, "Manter minhas configurações pessoais."},
    {25, "Desinstalando..."},
    {26, "Desinstalação concluída! Obrigado pelo seu apoio!"},
    {27, "Concluir"},
    {28, "O Windows XP não é mais suportado."},
    {29, "O Windows Vista não é mais suportado."},
    {30, "O __PRODUCT_NAME__ não é compatível com o seu sistema operacional atual."},
    {31, "O caminho de instalação é inválido."},
    {32, "Não há espaço livre suficiente na unidade selecionada."},
    {33, "Ops! Esta versão do __PRODUCT_NAME__ só funciona em sistemas operacionais de 64 bits. Baixe e instale a versão de 32 bits."},
    {34, "Atualmente, o __PRODUCT_NAME__ só funciona no Windows de 64 bits."},
    {35, "Desinstalar"},
    {36, "Desinstalar aplicativo"},
    {37, "Aplicativo"},
    {38, "Online"},
    {39, "Página inicial"},
    {40, "You must restart your computer to install the new version. Are you sure to proceed?"},
    {41, "Restart Now"},
    {40, "Você precisa reiniciar o computador para instalar a nova versão. Tem certeza de que deseja continuar?"},
    {41, "Reiniciar agora"},
    {42, "Falha no download. Tente novamente ou baixe o instalador offline em " MSS_WEB_HOST_LITERAL "."},
    {43, "O instalador online está desatualizado. Baixe a versão mais recente em " MSS_WEB_HOST_LITERAL "."},
    {44, "Baixando..."},
    {45, "Verificando dados, aguarde..."},
    {46, "Obtendo informações de download..."},
    {47, "__PRODUCT_NAME__ Online"},
    {48, "Desinstalar __PRODUCT_NAME__"},
    {49, "Executar"},
    {50, "A instalação começará automaticamente em XXX segundos."},
    {51, "Baixando arquivo de instalação..."},
    {52, "oficial"},
};

}  // namespace

MSS_LANGUAGE_TABLE(kPortugueseTable, kEntries);
