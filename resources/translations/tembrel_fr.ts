<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>SpokenText</name>
    <message>
        <source>black message</source>
        <translation>message noir</translation>
    </message>
    <message>
        <source>red message</source>
        <translation>message rouge</translation>
    </message>
    <message>
        <source>blue message</source>
        <translation>message bleu</translation>
    </message>
    <message>
        <source>green message</source>
        <translation>message vert</translation>
    </message>
    <message>
        <source>yellow message</source>
        <translation>message jaune</translation>
    </message>
    <message>
        <source>empty</source>
        <translation>vide</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 secondes</translation>
    </message>
    <message>
        <source>row %1</source>
        <translation>ligne %1</translation>
    </message>
</context>
<context>
    <name>Strings</name>
    <message>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>Open ...</source>
        <translation>Ouvrir ...</translation>
    </message>
    <message>
        <source>Hours...</source>
        <translation>Horaires...</translation>
    </message>
    <message>
        <source>Holidays...</source>
        <translation>Jours fériés...</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Réglages...</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Help file...</source>
        <translation>Fichier d&apos;aide...</translation>
    </message>
    <message>
        <source>Tembrel - Version 2.01</source>
        <translation>Tembrel - Version 2.01</translation>
    </message>
    <message>
        <source>Tembrel is already running. Look at the taskbar.</source>
        <translation>Tembrel est déjà lancé. Regardez dans la barre des tâches.</translation>
    </message>
    <message>
        <source>About ...</source>
        <translation>À propos ...</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Hours</source>
        <translation>Horaires</translation>
    </message>
    <message>
        <source>Already exist in the list!</source>
        <translation>Existe déjà dans la liste !</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Version 2.01</source>
        <translation>Version 2.01</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Réglages</translation>
    </message>
    <message>
        <source>Times New Roman</source>
        <translation>Times New Roman</translation>
    </message>
    <message>
        <source>Palette</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>Backcolor Main Window</source>
        <translation>Couleur de fond de la fenêtre principale</translation>
    </message>
    <message>
        <source>Columns colors (weekend and holidays)</source>
        <translation>Couleur des colonnes (week-ends et jours fériés)</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Sauvegarder</translation>
    </message>
    <message>
        <source>Margins and headings grids</source>
        <translation>Marges et en-têtes des grilles</translation>
    </message>
    <message>
        <source>The e-mail address has been copied in the clipboard.</source>
        <translation>L&apos;adresse électronique a été copiée dans le presse-papiers.</translation>
    </message>
    <message>
        <source>You can now paste it in your software  mail</source>
        <translation>Vous pouvez maintenant la coller dans votre logiciel de messagerie.</translation>
    </message>
    <message>
        <source>The URL was copied in the clipboard.</source>
        <translation>L&apos;adresse du site a été copiée dans le presse-papiers.</translation>
    </message>
    <message>
        <source>You can now paste it in your browser.</source>
        <translation>Vous pouvez maintenant la coller dans votre navigateur.</translation>
    </message>
    <message>
        <source>Screen font</source>
        <translation>Police d&apos;écran</translation>
    </message>
    <message>
        <source>Net...</source>
        <translation>Internet...</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>Adresse :</translation>
    </message>
    <message>
        <source>In progress...</source>
        <translation>En cours...</translation>
    </message>
    <message>
        <source>You have to be connected to the Net to reach our site. Do you want to continue?</source>
        <translation>Vous devez être connecté à Internet pour atteindre notre site. Voulez-vous continuer ?</translation>
    </message>
    <message>
        <source>lower than 2000 !</source>
        <translation>inférieure à 2000 !</translation>
    </message>
    <message>
        <source>higher than 2099 !</source>
        <translation>supérieure à 2099 !</translation>
    </message>
    <message>
        <source>RECORDING</source>
        <translation>ENREGISTREMENT</translation>
    </message>
    <message>
        <source>Close initially the recording window !</source>
        <translation>Fermez d&apos;abord la fenêtre d&apos;enregistrement !</translation>
    </message>
    <message>
        <source>Do you want to remove this file ?</source>
        <translation>Voulez-vous supprimer ce fichier ?</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Time steps</source>
        <translation>Pas horaires</translation>
    </message>
    <message>
        <source>Free text</source>
        <translation>Texte libre</translation>
    </message>
    <message>
        <source>Time sections</source>
        <translation>Tranches horaires</translation>
    </message>
    <message>
        <source>Choose beginning time and  end time.</source>
        <translation>Choisissez l&apos;heure de début et l&apos;heure de fin.</translation>
    </message>
    <message>
        <source>Want you to remove</source>
        <translation>Voulez-vous supprimer</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Effacer</translation>
    </message>
    <message>
        <source>Beginning</source>
        <translation>Début</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Fin</translation>
    </message>
    <message>
        <source>15 characters maximum</source>
        <translation>15 caractères au maximum</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 minutes</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30 minutes</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 heure</translation>
    </message>
    <message>
        <source>Clear the list ?</source>
        <translation>Effacer la liste ?</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Écouter</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Reprendre</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abandonner</translation>
    </message>
    <message>
        <source>Select a color !</source>
        <translation>Choisissez une couleur !</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Imprimer</translation>
    </message>
    <message>
        <source>The message could not be stored in this slot. It is kept here: try Save again.</source>
        <translation>Le message n&apos;a pas pu être rangé dans cette case. Il est conservé ici : essayez à nouveau Sauvegarder.</translation>
    </message>
    <message>
        <source>No sound input can record. Connect a microphone, then press Record again.</source>
        <translation>Aucune entrée son ne peut enregistrer. Branchez un micro, puis appuyez à nouveau sur Enregistrer.</translation>
    </message>
    <message>
        <source>The message is stored, but the year file could not be written: its marker may not show the next time the grid is opened.</source>
        <translation>Le message est rangé, mais le fichier de l&apos;année n&apos;a pas pu être écrit : son repère risque de ne pas s&apos;afficher à la prochaine ouverture de la grille.</translation>
    </message>
    <message>
        <source>The time rows could not be saved in hours.dat. The window stays open so that they are not lost.</source>
        <translation>Les lignes horaires n&apos;ont pas pu être enregistrées dans hours.dat. La fenêtre reste ouverte pour qu&apos;elles ne soient pas perdues.</translation>
    </message>
    <message>
        <source>This holiday choice could not be saved in JFValid.ini.</source>
        <translation>Ce choix de jour férié n&apos;a pas pu être enregistré dans JFValid.ini.</translation>
    </message>
    <message>
        <source>No web browser could be opened. The address of our site:</source>
        <translation>Aucun navigateur web n&apos;a pu être ouvert. L&apos;adresse de notre site :</translation>
    </message>
    <message>
        <source>The scope found no sound input. Connect a microphone.</source>
        <translation>L&apos;oscilloscope ne trouve aucune entrée son. Branchez un micro.</translation>
    </message>
    <message>
        <source>The sound input would not start for the scope; the recording goes on without it.</source>
        <translation>L&apos;entrée son n&apos;a pas pu démarrer pour l&apos;oscilloscope ; l&apos;enregistrement continue sans lui.</translation>
    </message>
    <message>
        <source>The sound input stopped, so the recording ends here. What was recorded until then is kept: listen to it, then save it or record again.</source>
        <translation>L&apos;entrée son s&apos;est arrêtée : l&apos;enregistrement s&apos;arrête là. Ce qui a été enregistré jusque-là est conservé : écoutez-le, puis sauvegardez-le ou enregistrez à nouveau.</translation>
    </message>
    <message>
        <source>The sound input does not answer. Wait a moment, then press Record again.</source>
        <translation>L&apos;entrée son ne répond pas. Attendez un instant, puis appuyez à nouveau sur Enregistrer.</translation>
    </message>
    <message>
        <source>The sound output stopped answering, so the message was not played to its end. It is kept: play it again in a moment.</source>
        <translation>La sortie son a cessé de répondre : le message n&apos;a pas été lu jusqu&apos;au bout. Il est conservé : écoutez-le à nouveau dans un instant.</translation>
    </message>
    <message>
        <source>The message could not be deleted: its archive cannot be removed. It is still in its slot.</source>
        <translation>Le message n&apos;a pas pu être supprimé : son archive ne peut pas être effacée. Il est toujours dans sa case.</translation>
    </message>
    <message>
        <source>The message is deleted, but the year file could not be written: its marker may show again the next time the grid is opened.</source>
        <translation>Le message est supprimé, mais le fichier de l&apos;année n&apos;a pas pu être écrit : son repère pourra réapparaître à la prochaine ouverture de la grille.</translation>
    </message>
    <message>
        <source>The settings could not be saved in param.ini, so they would be lost at the next start. The window stays open: close it again to try once more.</source>
        <translation>Les réglages n&apos;ont pas pu être enregistrés dans param.ini : ils seraient perdus au prochain démarrage. La fenêtre reste ouverte : fermez-la de nouveau pour réessayer.</translation>
    </message>
    <message>
        <source>The settings still could not be saved in param.ini. Close the window anyway? The font, colours and path chosen will be lost at the next start.</source>
        <translation>Les réglages n&apos;ont toujours pas pu être enregistrés dans param.ini. Fermer la fenêtre quand même ? La police, les couleurs et le chemin choisis seront perdus au prochain démarrage.</translation>
    </message>
    <message>
        <source>The holidays of %1 could not be saved in F%1.ini. They are kept here: try Save again.</source>
        <translation>Les jours fériés de %1 n&apos;ont pas pu être enregistrés dans F%1.ini. Ils sont conservés ici : cliquez de nouveau sur Sauvegarder.</translation>
    </message>
    <message>
        <source>The holidays picked for %1 are not saved. Close the window anyway? They will be lost.</source>
        <translation>Les jours fériés choisis pour %1 ne sont pas enregistrés. Fermer la fenêtre quand même ? Ils seront perdus.</translation>
    </message>
    <message>
        <source>This recording has not been saved. Discard it?</source>
        <translation>Cet enregistrement n&apos;a pas été sauvegardé. L&apos;abandonner ?</translation>
    </message>
    <message>
        <source>Nothing is heard: check that the microphone is connected and not muted.</source>
        <translation>Aucun son n&apos;est entendu : vérifiez que le microphone est branché et non coupé.</translation>
    </message>
    <message>
        <source>The recording could not be written to the disk: it may be full, or the folder may not be writable. It is kept: Reading still plays it, and Save tries again.</source>
        <translation>L&apos;enregistrement n&apos;a pas pu être écrit sur le disque : il est peut-être plein, ou le dossier protégé en écriture. Il est conservé : Écouter le joue toujours, et Sauvegarder réessaie.</translation>
    </message>
    <message>
        <source>A recording interrupted on %1 at %2 was found. Keep it for this slot?</source>
        <translation>Un enregistrement interrompu le %1 à %2 a été trouvé. Le garder pour cette case ?</translation>
    </message>
    <message>
        <source>The messages of %1 cannot be opened: the file %2 cannot be read. Nothing has been changed.</source>
        <translation>Les messages de %1 ne peuvent pas être ouverts : le fichier %2 ne peut pas être lu. Rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>Message deleted.</source>
        <translation>Message supprimé.</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>E&amp;xport...</source>
        <translation>E&amp;xporter...</translation>
    </message>
    <message>
        <source>The message could not be put back: its slot holds another message, or its file is no longer in the trash.</source>
        <translation>Le message n&apos;a pas pu être remis : sa case contient un autre message, ou son fichier n&apos;est plus dans la corbeille.</translation>
    </message>
    <message>
        <source>The message could not be exported to %1.

%2</source>
        <translation>Le message n&apos;a pas pu être exporté vers %1.

%2</translation>
    </message>
    <message>
        <source>The file %1 could not be imported: it is not a sound file that can be read.</source>
        <translation>Le fichier %1 n&apos;a pas pu être importé : ce n&apos;est pas un fichier son lisible.</translation>
    </message>
    <message>
        <source>The file %1 could not be imported: it holds no sound.</source>
        <translation>Le fichier %1 n&apos;a pas pu être importé : il ne contient aucun son.</translation>
    </message>
    <message>
        <source>The file %1 could not be imported: it is silent, nothing can be heard in it.</source>
        <translation>Le fichier %1 n&apos;a pas pu être importé : il est silencieux, on n&apos;y entend rien.</translation>
    </message>
    <message>
        <source>The file %1 could not be imported: the sound could not be written in the program&apos;s folder.</source>
        <translation>Le fichier %1 n&apos;a pas pu être importé : le son n&apos;a pas pu être écrit dans le dossier du programme.</translation>
    </message>
    <message>
        <source>The file %1 lasts longer than a minute: only its first minute was imported.</source>
        <translation>Le fichier %1 dure plus d&apos;une minute : seule sa première minute a été importée.</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Importer...</translation>
    </message>
</context>
<context>
    <name>tembrel::FrmConsultGrille</name>
    <message>
        <source> seconds</source>
        <translation> secondes</translation>
    </message>
    <message>
        <source>Previous year</source>
        <translation>Année précédente</translation>
    </message>
    <message>
        <source>Next year</source>
        <translation>Année suivante</translation>
    </message>
    <message>
        <source>Year grid</source>
        <translation>Grille de l&apos;année</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Show or hide the list of messages (Ctrl+L)</source>
        <translation>Afficher ou masquer la liste des messages (Ctrl+L)</translation>
    </message>
    <message>
        <source>List of messages</source>
        <translation>Liste des messages</translation>
    </message>
</context>
<context>
    <name>tembrel::FrmEmp</name>
    <message>
        <source>H</source>
        <translation>H</translation>
    </message>
    <message>
        <source>M</source>
        <translation>M</translation>
    </message>
    <message>
        <source>AM</source>
        <translation>AM</translation>
    </message>
    <message>
        <source>PM</source>
        <translation>PM</translation>
    </message>
    <message>
        <source>%1, hour</source>
        <translation>%1, heure</translation>
    </message>
    <message>
        <source>%1, minutes</source>
        <translation>%1, minutes</translation>
    </message>
    <message>
        <source>Text of the new time row</source>
        <translation>Texte de la nouvelle ligne horaire</translation>
    </message>
    <message>
        <source>Time rows</source>
        <translation>Lignes horaires</translation>
    </message>
</context>
<context>
    <name>tembrel::FrmEnregMessage</name>
    <message>
        <source>Blue</source>
        <translation>Bleu</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rouge</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Vert</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Jaune</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Noir</translation>
    </message>
    <message>
        <source>Scope</source>
        <translation>Oscilloscope</translation>
    </message>
    <message>
        <source>Longest message, in minutes</source>
        <translation>Durée maximale d&apos;un message, en minutes</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Pause recording</source>
        <translation>Suspendre l&apos;enregistrement</translation>
    </message>
    <message>
        <source>Resume recording</source>
        <translation>Reprendre l&apos;enregistrement</translation>
    </message>
    <message>
        <source>Pause playback</source>
        <translation>Suspendre l&apos;écoute</translation>
    </message>
    <message>
        <source>Resume playback</source>
        <translation>Reprendre l&apos;écoute</translation>
    </message>
    <message>
        <source> seconds</source>
        <translation> secondes</translation>
    </message>
    <message>
        <source>Microphone: %1</source>
        <translation>Microphone : %1</translation>
    </message>
    <message>
        <source>System default</source>
        <translation>Par défaut du système</translation>
    </message>
    <message>
        <source>none</source>
        <translation>aucun</translation>
    </message>
    <message>
        <source>Import a sound file</source>
        <translation>Importer un fichier son</translation>
    </message>
    <message>
        <source>Sound files (*.wav *.flac *.ogg *.oga *.opus *.mp3);;All files (*)</source>
        <translation>Fichiers son (*.wav *.flac *.ogg *.oga *.opus *.mp3);;Tous les fichiers (*)</translation>
    </message>
</context>
<context>
    <name>tembrel::FrmHlp</name>
    <message>
        <source>The help document could not be read:
%1</source>
        <translation>Le document d&apos;aide n&apos;a pas pu être lu :
%1</translation>
    </message>
    <message>
        <source>Help document</source>
        <translation>Document d&apos;aide</translation>
    </message>
</context>
<context>
    <name>tembrel::FrmJoursFeries</name>
    <message>
        <source>Autres</source>
        <translation>Autres</translation>
    </message>
</context>
<context>
    <name>tembrel::FrmReglages</name>
    <message>
        <source>Chemin d&apos;accès au tableur</source>
        <translation>Chemin d&apos;accès au tableur</translation>
    </message>
    <message>
        <source>Choose the spreadsheet program</source>
        <translation>Choisir le tableur</translation>
    </message>
</context>
<context>
    <name>tembrel::MdiMain</name>
    <message>
        <source>F</source>
        <comment>access key of File</comment>
        <translation>F</translation>
    </message>
    <message>
        <source>O</source>
        <comment>access key of Open</comment>
        <translation>O</translation>
    </message>
    <message>
        <source>H</source>
        <comment>access key of Hours</comment>
        <translation>H</translation>
    </message>
    <message>
        <source>L</source>
        <comment>access key of Holidays</comment>
        <translation>J</translation>
    </message>
    <message>
        <source>S</source>
        <comment>access key of Settings</comment>
        <translation>R</translation>
    </message>
    <message>
        <source>X</source>
        <comment>access key of Exit</comment>
        <translation>Q</translation>
    </message>
    <message>
        <source>H</source>
        <comment>access key of Help</comment>
        <translation>A</translation>
    </message>
    <message>
        <source>H</source>
        <comment>access key of Help file</comment>
        <translation>F</translation>
    </message>
    <message>
        <source>A</source>
        <comment>access key of About</comment>
        <translation>P</translation>
    </message>
    <message>
        <source>N</source>
        <comment>access key of Net</comment>
        <translation>I</translation>
    </message>
</context>
<context>
    <name>tembrel::MessagesModel</name>
    <message>
        <source>Black</source>
        <translation>Noir</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rouge</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Bleu</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Vert</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Jaune</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Horaire</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Couleur</translation>
    </message>
    <message>
        <source>Seconds</source>
        <translation>Secondes</translation>
    </message>
</context>
<context>
    <name>tembrel::MessagesPanel</name>
    <message>
        <source>This year</source>
        <translation>Cette année</translation>
    </message>
    <message>
        <source>Every year 2000-2005</source>
        <translation>Toutes les années 2000-2005</translation>
    </message>
    <message>
        <source>Years listed</source>
        <translation>Années affichées</translation>
    </message>
    <message>
        <source>Show or hide the messages of this colour</source>
        <translation>Afficher ou masquer les messages de cette couleur</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Search the messages</source>
        <translation>Rechercher dans les messages</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>Format of exported files</source>
        <translation>Format des fichiers exportés</translation>
    </message>
</context>
<context>
    <name>tembrel::SoundChoiceBox</name>
    <message>
        <source>Sound</source>
        <translation>Son</translation>
    </message>
    <message>
        <source>Microphone</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Speaker</source>
        <translation>Haut-parleur</translation>
    </message>
    <message>
        <source>System default</source>
        <translation>Par défaut du système</translation>
    </message>
    <message>
        <source>%1 (not connected)</source>
        <translation>%1 (non connecté)</translation>
    </message>
</context>
</TS>
