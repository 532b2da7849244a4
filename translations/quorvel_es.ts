<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="pt_BR">
<context>
    <name>Application</name>
    <message>
        <source>O idioma escolhido vale a partir da próxima vez que o Quorvel for aberto.</source>
        <translation>El idioma elegido vale a partir de la próxima vez que se abra Quorvel.</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>--lang: &quot;%1&quot; não é um idioma da ferramenta (%2).</source>
        <translation>--lang: &quot;%1&quot; no es un idioma de la herramienta (%2).</translation>
    </message>
</context>
<context>
    <name>LanguageMenu</name>
    <message>
        <source>Idioma</source>
        <translation>Idioma</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>Lê e grava a configuração de uma central de alarme, cadastra seus sensores RF, atualiza seu firmware e acompanha seus diagnósticos, por uma porta serial.</source>
        <translation>Lee y graba la configuración de un panel de alarma, registra sus sensores RF, actualiza su firmware y sigue sus diagnósticos, por un puerto serie.</translation>
    </message>
    <message>
        <source>Mostra a versão.</source>
        <translation>Muestra la versión.</translation>
    </message>
    <message>
        <source>Abre uma central de software ao iniciar.</source>
        <translation>Abre un panel de software al iniciar.</translation>
    </message>
    <message>
        <source>Acrescenta cada quadro, nos dois sentidos, ao ARQUIVO.</source>
        <translation>Agrega cada trama, en ambos sentidos, al ARCHIVO.</translation>
    </message>
    <message>
        <source>ARQUIVO</source>
        <translation>ARCHIVO</translation>
    </message>
    <message>
        <source>A biblioteca de centrais: um arquivo SQLite ou postgresql://usuario@servidor/banco (padrão: $QUORVEL_LIBRARY, senão a última escolhida na janela, senão a do próprio usuário).</source>
        <translation>La biblioteca de paneles: un archivo SQLite o postgresql://usuario@servidor/base (por defecto: $QUORVEL_LIBRARY, si no la última elegida en la ventana, si no la del propio usuario).</translation>
    </message>
    <message>
        <source>BIBLIOTECA</source>
        <translation>BIBLIOTECA</translation>
    </message>
    <message>
        <source>O idioma: pt_BR, es ou en (padrão: o escolhido em &quot;Idioma&quot;, senão o do sistema).</source>
        <translation>El idioma: pt_BR, es o en (por defecto: el elegido en &quot;Idioma&quot;, si no el del sistema).</translation>
    </message>
    <message>
        <source>IDIOMA</source>
        <translation>IDIOMA</translation>
    </message>
</context>
</TS>
