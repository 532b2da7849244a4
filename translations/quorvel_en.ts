<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>Application</name>
    <message>
        <source>O idioma escolhido vale a partir da próxima vez que o Quorvel for aberto.</source>
        <translation>The language chosen applies from the next time Quorvel is started.</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>--lang: &quot;%1&quot; não é um idioma da ferramenta (%2).</source>
        <translation>--lang: &quot;%1&quot; is not a language of the tool (%2).</translation>
    </message>
</context>
<context>
    <name>LanguageMenu</name>
    <message>
        <source>Idioma</source>
        <translation>Language</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>Lê e grava a configuração de uma central de alarme, cadastra seus sensores RF, atualiza seu firmware e acompanha seus diagnósticos, por uma porta serial.</source>
        <translation>Read and write an alarm panel's configuration, enrol its RF sensors, update its firmware and watch its diagnostics, over a serial port.</translation>
    </message>
    <message>
        <source>Mostra a versão.</source>
        <translation>Show the version.</translation>
    </message>
    <message>
        <source>Abre uma central de software ao iniciar.</source>
        <translation>Open a software panel at start.</translation>
    </message>
    <message>
        <source>Acrescenta cada quadro, nos dois sentidos, ao ARQUIVO.</source>
        <translation>Append every frame, both ways, to FILE.</translation>
    </message>
    <message>
        <source>ARQUIVO</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>A biblioteca de centrais: um arquivo SQLite ou postgresql://usuario@servidor/banco (padrão: $QUORVEL_LIBRARY, senão a última escolhida na janela, senão a do próprio usuário).</source>
        <translation>The panel library: a SQLite file or postgresql://user@host/db (default: $QUORVEL_LIBRARY, else the one chosen last in the window, else the user's own).</translation>
    </message>
    <message>
        <source>BIBLIOTECA</source>
        <translation>LIBRARY</translation>
    </message>
    <message>
        <source>O idioma: pt_BR, es ou en (padrão: o escolhido em &quot;Idioma&quot;, senão o do sistema).</source>
        <translation>The language: pt_BR, es or en (default: the one chosen in &quot;Language&quot;, else the system's).</translation>
    </message>
    <message>
        <source>IDIOMA</source>
        <translation>LANGUAGE</translation>
    </message>
</context>
</TS>
