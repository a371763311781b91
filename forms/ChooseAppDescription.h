#pragma once
// The stored description of the dialog that chooses a running program to wait for, at 96 pixels per inch.
inline constexpr char ChooseAppDescription[] = R"(
object FormChooseApp: TFormChooseApp
  Left = 407
  Top = 107
  BorderStyle = bsDialog
  Caption = 'Lullwick'
  ClientHeight = 289
  ClientWidth = 481
  Color = clBtnFace
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 12
  object PanelApps: TPanel
    Left = 8
    Top = 8
    Width = 465
    Height = 241
    BevelInner = bvRaised
    BevelOuter = bvLowered
    TabOrder = 0
    object LabelMsg: TLabel
      Left = 8
      Top = 8
      Width = 449
      Height = 12
      Caption = '終了するまでスクリーンセーバーを無効にしておくアプリを選んでください。'
    end
    object LabelApps: TLabel
      Left = 8
      Top = 30
      Width = 81
      Height = 12
      Caption = 'アプリ(&A)'
      FocusControl = ListBoxApps
    end
    object ListBoxApps: TListBox
      Left = 8
      Top = 46
      Width = 449
      Height = 162
      TabOrder = 0
      OnClick = ListBoxAppsClick
      OnDblClick = ListBoxAppsDblClick
    end
    object CheckBoxAll: TCheckBox
      Left = 8
      Top = 216
      Width = 449
      Height = 17
      Caption = 'ウィンドウのないアプリも表示する(&W)'
      TabOrder = 1
      OnClick = CheckBoxAllClick
    end
  end
  object ButtonCancel: TButton
    Left = 406
    Top = 256
    Width = 67
    Height = 25
    Cancel = True
    Caption = 'キャンセル'
    TabOrder = 2
    OnClick = ButtonCancelClick
  end
  object ButtonOK: TButton
    Left = 334
    Top = 256
    Width = 67
    Height = 25
    Caption = 'OK'
    Default = True
    TabOrder = 1
    OnClick = ButtonOKClick
  end
end
)";
